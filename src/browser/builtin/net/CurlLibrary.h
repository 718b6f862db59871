#pragma once

#include <curl/curl.h>

// libcurl's functions, from the library loaded the first time a transfer needs it rather than with
// the program: the libraries it links (Kerberos, LDAP, SSH and others) would otherwise cost every
// start-up several milliseconds of the dynamic loader's work, runs that never reach the network
// included.
struct CurlLibrary {
    decltype(&::curl_easy_init) easyInit;
    decltype(&::curl_easy_setopt) easySetopt;
    decltype(&::curl_easy_getinfo) easyGetinfo;
    decltype(&::curl_easy_cleanup) easyCleanup;
    decltype(&::curl_easy_strerror) easyStrerror;
    decltype(&::curl_slist_append) slistAppend;
    decltype(&::curl_slist_free_all) slistFreeAll;
    decltype(&::curl_multi_init) multiInit;
    decltype(&::curl_multi_setopt) multiSetopt;
    decltype(&::curl_multi_add_handle) multiAddHandle;
    decltype(&::curl_multi_remove_handle) multiRemoveHandle;
    decltype(&::curl_multi_socket_action) multiSocketAction;
    decltype(&::curl_multi_info_read) multiInfoRead;
    decltype(&::curl_multi_cleanup) multiCleanup;
};

// Loads and initialises libcurl on the first call. A system without it is a broken installation
// (the package depends on it): the program ends with a message saying so.
[[nodiscard]] const CurlLibrary &curl();
