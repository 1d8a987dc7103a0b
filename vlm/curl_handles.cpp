#include "vlm/curl_handles.h"

#include <new>

namespace vlm {

void EnsureCurlReady() {
    // A function-local static: initialised once, thread-safely, on first use.
    static const CURLcode ready = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (ready != CURLE_OK)
        throw std::bad_alloc();
}

CurlEasy MakeCurlEasy() {
    EnsureCurlReady();
    CurlEasy handle(curl_easy_init());
    if (!handle)
        throw std::bad_alloc();
    return handle;
}

CurlMulti MakeCurlMulti() {
    EnsureCurlReady();
    CurlMulti handle(curl_multi_init());
    if (!handle)
        throw std::bad_alloc();
    return handle;
}

void CurlHeaderList::Add(const std::string& line) {
    curl_slist* grown = curl_slist_append(list_.get(), line.c_str());
    if (grown == nullptr)
        throw std::bad_alloc();
    // curl_slist_append returns the same head once the list exists.
    if (!list_)
        list_.reset(grown);
}

CurlTransfer::CurlTransfer(CURLM* multi, CURL* easy)
    : multi_(multi), easy_(easy), added_(curl_multi_add_handle(multi, easy) == CURLM_OK) {}

CurlTransfer::~CurlTransfer() {
    if (added_)
        curl_multi_remove_handle(multi_, easy_);
}

}  // namespace vlm
