#include "browser/builtin/net/ContentDecoder.h"

#include <brotli/decode.h>
#include <zlib.h>

#include <QList>

#include <algorithm>
#include <vector>

namespace {

// Decoded bytes are produced in steps of this size, each checked against the bound.
constexpr qsizetype DecodeStep = 64 * 1024;

// Makes room for one step at the end of `out`, never past the bound; the room it gave.
qsizetype growForStep(QByteArray &out, qint64 maxBytes)
{
    const qsizetype held = out.size();
    const qsizetype room = std::min<qint64>(DecodeStep, maxBytes + 1 - held);
    if (out.capacity() < held + room)
        out.reserve(std::min<qint64>(std::max<qint64>(2 * out.capacity(), held + room), maxBytes + 1));
    out.resize(held + room);
    return room;
}

// gzip and deflate: zlib's own format, or the raw deflate some servers send as "deflate".
class ZlibDecoder final : public ContentDecoder {
public:
    explicit ZlibDecoder(bool gzip)
        : m_gzip(gzip)
    {
    }
    ~ZlibDecoder() override
    {
        if (m_started)
            inflateEnd(&m_stream);
    }

    Result decode(QByteArrayView input, QByteArray &out, qint64 maxBytes) override
    {
        if (input.isEmpty())
            return Result::Decoded;
        if (!m_started && !start(input))
            return Result::Broken;
        m_stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(input.data()));
        m_stream.avail_in = static_cast<uInt>(input.size());
        while (!m_ended) {
            const qsizetype held = out.size();
            const qsizetype room = growForStep(out, maxBytes);
            m_stream.next_out = reinterpret_cast<Bytef *>(out.data() + held);
            m_stream.avail_out = static_cast<uInt>(room);
            const int status = inflate(&m_stream, Z_NO_FLUSH);
            out.resize(held + room - m_stream.avail_out);
            if (status != Z_OK && status != Z_BUF_ERROR && status != Z_STREAM_END)
                return Result::Broken;
            if (out.size() > maxBytes)
                return Result::PastBound;
            m_ended = status == Z_STREAM_END;
            // Room left over means the input is used up and nothing waits inside zlib.
            if (m_stream.avail_out != 0)
                break;
        }
        return Result::Decoded;
    }

private:
    bool start(QByteArrayView input)
    {
        // A zlib stream starts with a header whose two bytes are a multiple of 31.
        const auto first = static_cast<unsigned char>(input[0]);
        const bool zlibHeader = input.size() >= 2 && (first & 0x0f) == Z_DEFLATED
            && ((first << 8) | static_cast<unsigned char>(input[1])) % 31 == 0;
        const int windowBits = m_gzip ? MAX_WBITS + 16 : zlibHeader ? MAX_WBITS : -MAX_WBITS;
        m_started = inflateInit2(&m_stream, windowBits) == Z_OK;
        return m_started;
    }

    const bool m_gzip;
    z_stream m_stream {};
    bool m_started = false;
    bool m_ended = false;
};

class BrotliDecoder final : public ContentDecoder {
public:
    BrotliDecoder()
        : m_state(BrotliDecoderCreateInstance(nullptr, nullptr, nullptr))
    {
    }
    ~BrotliDecoder() override { BrotliDecoderDestroyInstance(m_state); }

    Result decode(QByteArrayView input, QByteArray &out, qint64 maxBytes) override
    {
        if (!m_state)
            return Result::Broken;
        auto next = reinterpret_cast<const uint8_t *>(input.data());
        size_t available = static_cast<size_t>(input.size());
        for (;;) {
            const qsizetype held = out.size();
            const qsizetype room = growForStep(out, maxBytes);
            auto nextOut = reinterpret_cast<uint8_t *>(out.data() + held);
            size_t availableOut = static_cast<size_t>(room);
            const BrotliDecoderResult status =
                BrotliDecoderDecompressStream(m_state, &available, &next, &availableOut, &nextOut, nullptr);
            out.resize(held + room - static_cast<qsizetype>(availableOut));
            if (status == BROTLI_DECODER_RESULT_ERROR)
                return Result::Broken;
            if (out.size() > maxBytes)
                return Result::PastBound;
            if (status != BROTLI_DECODER_RESULT_NEEDS_MORE_OUTPUT)
                return Result::Decoded;
        }
    }

private:
    BrotliDecoderState *m_state;
};

// Encodings applied one after another ("gzip, br": gzip first), undone last first. Each step's
// output is bounded as the last one's is.
class ChainDecoder final : public ContentDecoder {
public:
    explicit ChainDecoder(std::vector<std::unique_ptr<ContentDecoder>> steps)
        : m_steps(std::move(steps))
    {
    }

    Result decode(QByteArrayView input, QByteArray &out, qint64 maxBytes) override
    {
        QByteArray passed = input.toByteArray();
        for (auto step = m_steps.rbegin(); step + 1 != m_steps.rend(); ++step) {
            QByteArray next;
            if (const Result result = (*step)->decode(passed, next, maxBytes); result != Result::Decoded)
                return result;
            passed = std::move(next);
        }
        return m_steps.front()->decode(passed, out, maxBytes);
    }

private:
    std::vector<std::unique_ptr<ContentDecoder>> m_steps;
};

[[nodiscard]] std::unique_ptr<ContentDecoder> decoderFor(const QByteArray &encoding)
{
    if (encoding == "gzip" || encoding == "x-gzip")
        return std::make_unique<ZlibDecoder>(true);
    if (encoding == "deflate")
        return std::make_unique<ZlibDecoder>(false);
    if (encoding == "br")
        return std::make_unique<BrotliDecoder>();
    return nullptr;
}

} // namespace

std::unique_ptr<ContentDecoder> ContentDecoder::forEncoding(const QByteArray &contentEncoding)
{
    std::vector<std::unique_ptr<ContentDecoder>> steps;
    for (const QByteArray &listed : contentEncoding.toLower().split(',')) {
        const QByteArray encoding = listed.trimmed();
        if (encoding.isEmpty() || encoding == "identity")
            continue;
        std::unique_ptr<ContentDecoder> step = decoderFor(encoding);
        // A body in an encoding the engine does not know is taken as it is.
        if (!step)
            return nullptr;
        steps.push_back(std::move(step));
    }
    if (steps.size() < 2)
        return steps.empty() ? nullptr : std::move(steps.front());
    return std::make_unique<ChainDecoder>(std::move(steps));
}
