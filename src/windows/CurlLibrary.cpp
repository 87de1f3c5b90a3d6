#include "windows/CurlLibrary.h"

#include <string>

#include "game/DebugLog.h"

#if defined(_WIN32)
#define ZK_CURL_LINKED 1
#else
#include <dlfcn.h>
#endif

namespace zk {

namespace {

CurlLibrary* load()
{
    static CurlLibrary library;
#ifdef ZK_CURL_LINKED
#define ZK_CURL_RESOLVE(name) library.name = &::curl_##name;
    ZK_CURL_FUNCTIONS(ZK_CURL_RESOLVE)
#undef ZK_CURL_RESOLVE
#else
    void* handle = nullptr;
    for (const char* file : {"libcurl.so.4", "libcurl-gnutls.so.4", "libcurl.so", "libcurl.4.dylib"}) {
        if ((handle = ::dlopen(file, RTLD_NOW | RTLD_LOCAL)))
            break;
    }
    if (!handle) {
        debugLog(std::string("download: cannot load libcurl: ") + ::dlerror());
        return nullptr;
    }
    bool complete = true;
#define ZK_CURL_RESOLVE(name)                                                                                \
    library.name = reinterpret_cast<decltype(library.name)>(::dlsym(handle, "curl_" #name));                 \
    if (!library.name) {                                                                                     \
        debugLog("download: libcurl has no curl_" #name);                                                    \
        complete = false;                                                                                    \
    }
    ZK_CURL_FUNCTIONS(ZK_CURL_RESOLVE)
#undef ZK_CURL_RESOLVE
    if (!complete)
        return nullptr; // the handle stays: a half-used library is not unloaded
#endif
    if (library.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        debugLog("download: libcurl does not start");
        return nullptr;
    }
    return &library;
}

} // namespace

const CurlLibrary* CurlLibrary::get()
{
    static const CurlLibrary* const library = load();
    return library;
}

} // namespace zk
