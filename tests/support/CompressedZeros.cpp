#include "CompressedZeros.h"

#include <httplib.h>

#include <memory>

namespace {

std::unique_ptr<httplib::detail::compressor> compressorFor(const std::string &encoding)
{
    if (encoding == "br")
        return std::make_unique<httplib::detail::brotli_compressor>();
    return std::make_unique<httplib::detail::gzip_compressor>();
}

} // namespace

std::string compressed(const std::string &encoding, const std::string &bytes)
{
    std::string out;
    compressorFor(encoding)->compress(bytes.data(), bytes.size(), true, [&](const char *data, size_t length) {
        out.append(data, length);
        return true;
    });
    return out;
}

std::string compressedZeros(const std::string &encoding, size_t size)
{
    const std::unique_ptr<httplib::detail::compressor> compressor = compressorFor(encoding);
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
