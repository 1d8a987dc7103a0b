// Owners of libcurl's handles, so each is cleaned up exactly once, and the
// library's process-wide setup.
#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>

namespace vlm {

// Runs curl_global_init once, before the first handle is made; safe to call
// from any thread.
void EnsureCurlReady();

struct CurlEasyCleanup {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct CurlMultiCleanup {
    void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};
struct CurlListCleanup {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

using CurlEasy = std::unique_ptr<CURL, CurlEasyCleanup>;
using CurlMulti = std::unique_ptr<CURLM, CurlMultiCleanup>;

// Both raise std::bad_alloc when libcurl cannot make the handle.
CurlEasy MakeCurlEasy();
CurlMulti MakeCurlMulti();

// Request header lines ("Name: value").
class CurlHeaderList {
public:
    void Add(const std::string& line);
    curl_slist* Get() const { return list_.get(); }

private:
    std::unique_ptr<curl_slist, CurlListCleanup> list_;
};

// An easy handle added to a multi handle for one transfer; removed again
// when this goes, also on an early return or an exception.
class CurlTransfer {
public:
    CurlTransfer(CURLM* multi, CURL* easy);
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;
    bool Added() const { return added_; }

private:
    CURLM* multi_;
    CURL* easy_;
    bool added_;
};

}  // namespace vlm
