#include "CompressedZeros.h"

#include <httplib.h>

#include <memory>

std::string compressedZeros(const std::string &encoding, size_t size)
{
    std::unique_ptr<httplib::detail::compressor> compressor;
    if (encoding == "br")
        compressor = std::make_unique<httplib::detail::brotli_compressor>();
    else
        compressor = std::make_unique<httplib::detail::gzip_compressor>();
    const std::string zeros(1024 * 1024, '\0');
    std::string out;
    for (size_t done = 0; done < size; done += zeros.size()) {
        compressor->compress(zeros.data(), zeros.size(), done + zeros.size() >= size, [&](const char *data, size_t length) {
            out.append(data, length);
            return true;
        });
    }
    return out;
}
