#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <memory>

// The encodings every request offers; the loader decodes them itself, so that a body that
// decompresses without end is stopped at the size bound without being decoded any further.
inline constexpr char AcceptedEncodings[] = "gzip, deflate, br";

// Decodes a body sent with a Content-Encoding, piece by piece as it arrives.
class ContentDecoder {
public:
    enum class Result { Decoded, PastBound, Broken };

    // The decoder for a Content-Encoding value, or null for a body to take as it is.
    [[nodiscard]] static std::unique_ptr<ContentDecoder> forEncoding(const QByteArray &contentEncoding);
    virtual ~ContentDecoder() = default;

    // Appends what `input` decodes to onto `out`, stopping as soon as `out` would pass `maxBytes`.
    [[nodiscard]] virtual Result decode(QByteArrayView input, QByteArray &out, qint64 maxBytes) = 0;
};
