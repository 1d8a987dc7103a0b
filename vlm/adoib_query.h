// Query over the host's database module. SQL is written with named
// parameters (:P_X); Open runs it and fills the inner client dataset `Query`
// (its persistent fields, matched to the result columns by name).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vcl/component.h"
#include "vcl/dataset.h"

namespace vlm {

class TdtmDBGeral;

// A string field of a query (a persistent field of the inner dataset).
using TADOIBStringField = vcl::TField;

// A named input parameter; Null until a value is set.
class TParam {
public:
    explicit TParam(std::string name) : name_(std::move(name)) {}
    const std::string& Name() const { return name_; }
    void SetValue(std::string value) { value_ = std::move(value); }
    void SetAsString(std::string value) { SetValue(std::move(value)); }
    void Clear() { value_.reset(); }
    bool IsNull() const { return !value_.has_value(); }
    const std::optional<std::string>& Value() const { return value_; }

private:
    std::string name_;
    std::optional<std::string> value_;
};

class TADOIBQuery : public vcl::TComponent {
public:
    TADOIBQuery(vcl::TComponent* owner, std::string name, TdtmDBGeral& database);
    ~TADOIBQuery() override;

    // Statement text, one entry a line (joined with newlines). SQL_IB is the
    // text for the InterBase server; this database runs SQL.
    std::vector<std::string> SQL;
    std::vector<std::string> SQL_IB;

    // The inner dataset: declare its fields before opening.
    vcl::TClientDataSet& Query;
    // Declares a persistent string field of the inner dataset.
    TADOIBStringField& AddStringField(std::string name, int size, std::string displayLabel = {},
                                      bool visible = true);

    // The parameter named in the SQL (without the colon); a name the SQL does
    // not hold raises vcl::EDatabaseError naming it.
    TParam& ParamByName(std::string_view name);
    // Parameter names in order of first appearance in SQL.
    std::vector<std::string> ParamNames() const;

    // Runs the statement and loads the rows into Query. Database errors raise
    // vcl::EDatabaseError naming the query; the query then stays closed.
    void Open();
    void Close();
    bool Active() const;
    void SetActive(bool active);
    bool IsEmpty() const;
    vcl::TField& FieldByName(std::string_view name) const { return Query.FieldByName(name); }

private:
    TdtmDBGeral& database_;
    std::vector<std::unique_ptr<TParam>> params_;
    void SyncParams();
    void OpenRemote();
};

}  // namespace vlm
