#pragma once

#include <string>

// `size` zero bytes in the Content-Encoding "gzip" or "br": a decompression bomb of a few
// kilobytes for many megabytes.
[[nodiscard]] std::string compressedZeros(const std::string &encoding, size_t size);

// `bytes` in the Content-Encoding "gzip" or "br".
[[nodiscard]] std::string compressed(const std::string &encoding, const std::string &bytes);
