#include "browser/builtin/net/CurlLibrary.h"

#include <QtGlobal>

#include <dlfcn.h>

namespace {

constexpr char LibraryName[] = "libcurl.so.4";

template<typename Function>
void resolve(void *library, const char *name, Function &function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    if (!function)
        qFatal("%s lacks %s", LibraryName, name);
}

CurlLibrary load()
{
    // Its own scope: the symbols of the libraries it links do not slow the program's lookups.
    void *library = dlopen(LibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        qFatal("%s cannot be loaded: %s", LibraryName, dlerror());
    CurlLibrary curl{};
    resolve(library, "curl_easy_init", curl.easyInit);
    resolve(library, "curl_easy_setopt", curl.easySetopt);
    resolve(library, "curl_easy_getinfo", curl.easyGetinfo);
    resolve(library, "curl_easy_cleanup", curl.easyCleanup);
    resolve(library, "curl_easy_strerror", curl.easyStrerror);
    resolve(library, "curl_slist_append", curl.slistAppend);
    resolve(library, "curl_slist_free_all", curl.slistFreeAll);
    resolve(library, "curl_multi_init", curl.multiInit);
    resolve(library, "curl_multi_setopt", curl.multiSetopt);
    resolve(library, "curl_multi_add_handle", curl.multiAddHandle);
    resolve(library, "curl_multi_remove_handle", curl.multiRemoveHandle);
    resolve(library, "curl_multi_socket_action", curl.multiSocketAction);
    resolve(library, "curl_multi_info_read", curl.multiInfoRead);
    resolve(library, "curl_multi_cleanup", curl.multiCleanup);
    decltype(&::curl_global_init) globalInit = nullptr;
    resolve(library, "curl_global_init", globalInit);
    globalInit(CURL_GLOBAL_DEFAULT);
    return curl;
}

} // namespace

const CurlLibrary &curl()
{
    static const CurlLibrary library = load();
    return library;
}
