#include "vcl/variant.h"

#include <cmath>
#include <variant>

#include "vcl/data_packet.h"
#include "vcl/exceptions.h"
#include "vcl/text_format.h"

namespace vcl {

struct NullTag {
    friend bool operator==(NullTag, NullTag) { return true; }
};

struct Variant::Impl {
    std::variant<NullTag, std::string, std::int64_t, double, bool, TDate, TDateTime, VariantArray, DataPacket>
        value;
};

template <class T>
std::shared_ptr<const Variant::Impl> Variant::MakeImpl(T&& value) {
    auto impl = std::make_shared<Impl>();
    impl->value = std::forward<T>(value);
    return impl;
}

namespace {

[[noreturn]] void ThrowConvert(const std::string& text, const char* what) {
    throw EConvertError("'" + text + "' não é " + what);
}

// Delphi-style serial day numbers: day 0 is 1899-12-30.
constexpr std::int64_t kSerialOffset = 25569;

std::optional<TDateTime> ParseDateTimeText(std::string_view text) {
    text = Trim(text);
    if (auto date = TDate::ParseBr(text))
        return TDateTime::FromDate(*date);
    if (auto iso = TDateTime::ParseIso(text))
        return iso;
    if (text.size() == 19 && text[10] == ' ') {
        if (auto date = TDate::ParseBr(text.substr(0, 10))) {
            std::string iso = date->ToIso() + "T" + std::string(text.substr(11));
            return TDateTime::ParseIso(iso);
        }
    }
    return std::nullopt;
}

}  // namespace

Variant::Variant() = default;

Variant Variant::Null() {
    static const std::shared_ptr<const Impl> kNull = MakeImpl(NullTag{});
    Variant v;
    v.impl_ = kNull;
    return v;
}

Variant::Variant(std::string value) : impl_(MakeImpl(std::move(value))) {}
Variant::Variant(std::string_view value) : impl_(MakeImpl(std::string(value))) {}
Variant::Variant(const char* value) : impl_(MakeImpl(std::string(value))) {}
Variant::Variant(int value) : impl_(MakeImpl(std::int64_t{value})) {}
Variant::Variant(std::int64_t value) : impl_(MakeImpl(value)) {}
Variant::Variant(double value) : impl_(MakeImpl(value)) {}
Variant::Variant(bool value) : impl_(MakeImpl(value)) {}
Variant::Variant(TDate value) : impl_(MakeImpl(value)) {}
Variant::Variant(TDateTime value) : impl_(MakeImpl(value)) {}
Variant::Variant(VariantArray value) : impl_(MakeImpl(std::move(value))) {}
Variant::Variant(DataPacket value) : impl_(MakeImpl(std::move(value))) {}

Variant::Type Variant::type() const {
    if (!impl_)
        return Type::Unassigned;
    switch (impl_->value.index()) {
        case 0:
            return Type::Null;
        case 1:
            return Type::String;
        case 2:
            return Type::Integer;
        case 3:
            return Type::Float;
        case 4:
            return Type::Boolean;
        case 5:
            return Type::Date;
        case 6:
            return Type::DateTime;
        case 7:
            return Type::Array;
        default:
            return Type::Packet;
    }
}

std::string_view Variant::StringView() const {
    return type() == Type::String ? std::string_view(std::get<std::string>(impl_->value))
                                  : std::string_view();
}

std::string Variant::AsString() const {
    switch (type()) {
        case Type::Unassigned:
        case Type::Null:
            return {};
        case Type::String:
            return std::get<std::string>(impl_->value);
        case Type::Integer:
            return std::to_string(std::get<std::int64_t>(impl_->value));
        case Type::Float:
            return FloatToText(std::get<double>(impl_->value));
        case Type::Boolean:
            return std::get<bool>(impl_->value) ? "true" : "false";
        case Type::Date:
            return std::get<TDate>(impl_->value).ToBr();
        case Type::DateTime:
            return std::get<TDateTime>(impl_->value).ToBr();
        case Type::Array:
            throw EVariantError("Conversão de tipo inválida: lista para texto");
        case Type::Packet:
            throw EVariantError("Conversão de tipo inválida: pacote de dados para texto");
    }
    return {};
}

double Variant::AsFloat() const {
    switch (type()) {
        case Type::Unassigned:
        case Type::Null:
            return 0;
        case Type::String: {
            const auto& text = std::get<std::string>(impl_->value);
            auto parsed = ParseDecimal(text);
            if (!parsed)
                ThrowConvert(text, "um número válido");
            return *parsed;
        }
        case Type::Integer:
            return static_cast<double>(std::get<std::int64_t>(impl_->value));
        case Type::Float:
            return std::get<double>(impl_->value);
        case Type::Boolean:
            return std::get<bool>(impl_->value) ? 1 : 0;
        case Type::Date:
            return static_cast<double>(std::get<TDate>(impl_->value).days + kSerialOffset);
        case Type::DateTime:
            return static_cast<double>(std::get<TDateTime>(impl_->value).seconds) / 86400.0 + kSerialOffset;
        default:
            throw EVariantError("Conversão de tipo inválida para número");
    }
}

std::int64_t Variant::AsInteger() const {
    switch (type()) {
        case Type::String: {
            const auto& text = std::get<std::string>(impl_->value);
            if (auto value = ParseInteger(text))
                return *value;
            auto parsed = ParseDecimal(text);
            if (!parsed || std::fabs(*parsed) >= 9.2e18)
                ThrowConvert(text, "um número inteiro válido");
            return std::llround(*parsed);
        }
        case Type::Integer:
            return std::get<std::int64_t>(impl_->value);
        case Type::Date:
            return std::get<TDate>(impl_->value).days + kSerialOffset;
        default: {
            const double value = AsFloat();
            if (!(std::fabs(value) < 9.2e18))
                throw EConvertError("Valor fora da faixa dos números inteiros");
            return std::llround(value);
        }
    }
}

bool Variant::AsBoolean() const {
    switch (type()) {
        case Type::Unassigned:
        case Type::Null:
            return false;
        case Type::Boolean:
            return std::get<bool>(impl_->value);
        case Type::String: {
            std::string_view text = Trim(std::get<std::string>(impl_->value));
            if (EqualsIgnoreCase(text, "true") || text == "1")
                return true;
            if (EqualsIgnoreCase(text, "false") || text == "0" || text.empty())
                return false;
            ThrowConvert(std::string(text), "um valor lógico válido");
        }
        default:
            return AsFloat() != 0;
    }
}

TDate Variant::AsDate() const {
    return AsDateTime().Date();
}

TDateTime Variant::AsDateTime() const {
    switch (type()) {
        case Type::Unassigned:
        case Type::Null:
            return {};
        case Type::Date:
            return TDateTime::FromDate(std::get<TDate>(impl_->value));
        case Type::DateTime:
            return std::get<TDateTime>(impl_->value);
        case Type::String: {
            const auto& text = std::get<std::string>(impl_->value);
            auto parsed = ParseDateTimeText(text);
            if (!parsed)
                ThrowConvert(text, "uma data válida");
            return *parsed;
        }
        case Type::Integer:
        case Type::Float: {
            const double serial = AsFloat();
            if (!(std::fabs(serial) < 1e8))
                throw EConvertError("Data fora da faixa permitida");
            return TDateTime{std::llround((serial - kSerialOffset) * 86400.0)};
        }
        default:
            throw EVariantError("Conversão de tipo inválida para data");
    }
}

const VariantArray& Variant::AsArray() const {
    if (type() != Type::Array)
        throw EVariantError("O valor recebido não é uma lista");
    return std::get<VariantArray>(impl_->value);
}

const DataPacket& Variant::AsPacket() const {
    if (type() != Type::Packet)
        throw EVariantError("O valor recebido não é um pacote de dados");
    return std::get<DataPacket>(impl_->value);
}

const Variant& Variant::operator[](std::size_t index) const {
    const VariantArray& array = AsArray();
    if (index >= array.size())
        throw EVariantError("Índice fora dos limites da lista: " + std::to_string(index));
    return array[index];
}

std::size_t Variant::ArrayLength() const {
    return AsArray().size();
}

bool operator==(const Variant& a, const Variant& b) {
    if (a.impl_ == b.impl_)
        return true;
    if (!a.impl_ || !b.impl_)
        return false;
    return a.impl_->value == b.impl_->value;
}

}  // namespace vcl
