// libcurl, loaded when the first download starts rather than with the
// program: linked in, it and the TLS libraries behind it cost every game
// about 4 MB of memory and part of the start, for a window few players open.
//
//     const CurlLibrary* curl = CurlLibrary::get(); // nullptr: not installed
//     CURL* easy = curl->easy_init();
//
// The members are libcurl's functions without their "curl_" prefix.
#pragma once

#include <curl/curl.h>

namespace zk {

#define ZK_CURL_FUNCTIONS(X)                                                                                 \
    X(global_init)                                                                                           \
    X(easy_init)                                                                                             \
    X(easy_setopt)                                                                                           \
    X(easy_getinfo)                                                                                          \
    X(easy_cleanup)                                                                                          \
    X(easy_strerror)                                                                                         \
    X(multi_init)                                                                                            \
    X(multi_add_handle)                                                                                      \
    X(multi_remove_handle)                                                                                   \
    X(multi_perform)                                                                                         \
    X(multi_poll)                                                                                            \
    X(multi_wakeup)                                                                                          \
    X(multi_info_read)                                                                                       \
    X(multi_strerror)                                                                                        \
    X(multi_cleanup)                                                                                         \
    X(slist_append)                                                                                          \
    X(slist_free_all)

struct CurlLibrary {
#define ZK_CURL_MEMBER(name) decltype(&::curl_##name) name = nullptr;
    ZK_CURL_FUNCTIONS(ZK_CURL_MEMBER)
#undef ZK_CURL_MEMBER

    // The library, loaded and initialised on the first call (from any
    // thread); nullptr when it or one of its functions is missing, which
    // stays so for the life of the program.
    static const CurlLibrary* get();
};

} // namespace zk
