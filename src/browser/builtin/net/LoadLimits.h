#pragma once

#include <QtGlobal>

#include <chrono>

// Browsers give up after about twenty hops; a loop ends there with an error page.
inline constexpr int MaxRedirects = 20;
// A server that accepts a connection and then sends nothing for this long is given up on.
inline constexpr std::chrono::milliseconds TransferTimeout{30'000};
// A bigger body, as sent or once decompressed, is not shown: such pages are downloads, not pages
// a script reads, and a page's document takes ten to thirty-five times its size in memory.
inline constexpr qint64 MaxBodyBytes = 32 * 1024 * 1024;
// Servers and browsers refuse header blocks past about this much; an endless one would otherwise
// hold the connection's reader for good.
inline constexpr qint64 MaxHeaderBytes = 64 * 1024;
inline constexpr int MaxHeaderFields = 100;
// Older entries are dropped so that a script looping for hours keeps a bounded history.
inline constexpr int MaxHistoryEntries = 50;
// Going back shows the last few pages as they were left, as a browser's cache would, without
// asking the server again; older pages are loaded again.
inline constexpr int MaxKeptDocuments = 3;
// A document takes several times its page's size in memory: bigger pages are not kept.
inline constexpr qint64 MaxKeptPageBytes = 2 * 1024 * 1024;

// The answers a browser keeps for its session (bodies as decoded); the least recently used go
// first, and one answer takes at most a quarter of it.
inline constexpr qint64 MaxCacheBytes = 64 * 1024 * 1024;

// The bounds one load respects; tests narrow them to reach them quickly.
struct LoadLimits {
    int maxRedirects = MaxRedirects;
    std::chrono::milliseconds transferTimeout = TransferTimeout;
    qint64 maxBodyBytes = MaxBodyBytes;
    qint64 maxHeaderBytes = MaxHeaderBytes;
    int maxHeaderFields = MaxHeaderFields;
};
