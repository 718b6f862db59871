// libFuzzer target: script text as the editor loads it, its fields through the value
// conversions, and a run of it by the real runner and page actions over built-in engine pages.
// The first input byte picks the run's options; the rest is the script file's bytes.
#include "FuzzBrowser.h"
#include "RecordingHost.h"
#include "ScriptPages.h"

#include "engine/ScriptError.h"
#include "engine/ScriptFile.h"
#include "engine/ScriptRunner.h"
#include "engine/ScriptText.h"
#include "engine/Values.h"
#include "page/BrowserPageActions.h"
#include "page/CurrentDoc.h"

#include <QCoreApplication>

#include <array>
#include <cmath>
#include <cstdint>

namespace {

constexpr int kTicks = 200;             // enough for loops, waits, halts and re-attaches to show
constexpr int kCheckedLines = 32;       // lines and fields whose conversions are checked one by one
constexpr int kCheckedFields = 8;
const QUrl kPageAddress(QStringLiteral("http://127.0.0.1/site/page.html"));

const std::array<QString, 4> kAnswers = {
    QString(),
    QStringLiteral("http://127.0.0.1/form.html"),
    QStringLiteral("a;#10#;b"), // the answer may split fields and carry the random marker
    QStringLiteral("$$"),
};

struct RunOptions {
    explicit RunOptions(std::uint8_t bits)
        : answer(kAnswers[bits & 3u])
        , firstPage((bits >> 2) & 3u)
        , pagesComplete(bits & 0x10u)
        , resetHalfway(bits & 0x20u)
        , startOnOtherDocument(bits & 0x40u)
        , runAgainHalfway(bits & 0x80u)
    {
    }

    QString answer;
    unsigned firstPage;
    bool pagesComplete;
    bool resetHalfway;
    bool startOnOtherDocument;
    bool runAgainHalfway;
};

template <typename Conversion>
void tryConversion(Conversion &&conversion)
{
    try {
        conversion();
    } catch (const ScriptError &error) {
        require(error.number() == Overflow || error.number() == TypeMismatch, "conversions fail with 6 or 13");
    }
}

// The random-number rule gives a whole number between 0 and the number between the markers.
void checkRandomRule(QString field)
{
    const QString original = field;
    try {
        const QString result = parseCommand(field);
        require(result == field, "parseCommand leaves its result in the field");
        if (!original.contains(QLatin1Char('#'))) {
            require(result == original, "a field without # is left as it is");
            return;
        }
        const double limit = toNumber(original.split(QLatin1Char('#')).at(1));
        bool ok = false;
        const qint64 number = result.toLongLong(&ok);
        require(ok, "the random rule gives a decimal whole number");
        const double low = std::min(0.0, std::floor(limit));
        const double high = std::max(0.0, std::ceil(limit));
        require(double(number) >= low && double(number) <= high, "the random number lies between 0 and N");
    } catch (const ScriptError &error) {
        require(error.number() == SubscriptOutOfRange || error.number() == TypeMismatch
                    || error.number() == Overflow,
                "the random rule fails with 9, 13 or 6");
    }
}

void checkField(const QString &field)
{
    const auto number = parseNumericText(field);
    require(number.has_value() == isNumericText(field), "isNumericText agrees with parseNumericText");
    tryConversion([&] {
        const qint16 small = toInt16(field);
        require(toInt32(field) == small, "a 16-bit number reads the same as 32-bit");
    });
    tryConversion([&] {
        const bool flag = toFlag(field);
        if (number)
            require(flag == (*number != 0.0), "a numeric flag is true when not 0");
    });
    checkRandomRule(field);
}

void checkScriptText(const QByteArray &bytes)
{
    const QString text = scriptTextFromBytes(bytes);
    require(scriptTextFromBytes(scriptFileBytes(text)) == text, "a saved script loads as the same text");
    const QStringList lines = splitLines(text);
    require(lines.join(QStringLiteral("\r\n")) == text, "the lines join back into the text");
    for (qsizetype l = 0; l < lines.size() && l < kCheckedLines; ++l) {
        const QStringList fields = splitFields(lines.at(l));
        require(fields.join(QLatin1Char(';')) == lines.at(l), "the fields join back into the line");
        for (qsizetype f = 0; f < fields.size() && f < kCheckedFields; ++f)
            checkField(fields.at(f));
    }
}

// A run of the script over the fuzz window, ticked as the timer would tick it.
class ScriptRun {
public:
    ScriptRun(const RunOptions &options, QString script)
        : m_options(options)
        , m_script(std::move(script))
    {
        m_browser.onAttach = [this] { m_runner.resetRun(); };
        m_host.inputAnswer = options.answer;
        m_host.clipboard = QStringLiteral("clip;board");
        m_state.exitWhenFinished = true;
        m_shown = options.firstPage;
        m_browser.fuzzWindow->show(options.startOnOtherDocument ? buildOtherDocument(kPageAddress, "image/png")
                                                            : nextPage());
    }
    ~ScriptRun() { CurrentDoc.reset(); }

    void run()
    {
        start();
        for (int tick = 0; tick < kTicks && m_runner.tickTimer().isActive(); ++tick) {
            m_runner.tick();
            const RunStatus status = m_runner.status();
            require(!m_state.executingLine || status == RunStatus::Halted || status == RunStatus::Sleeping,
                    "a line is left executing only by a halt or its sleep");
            if (m_state.waitingForPage && m_options.pagesComplete)
                completePage();
            if (tick == kTicks / 2 && m_options.resetHalfway)
                m_runner.resetRun();
            if (tick == kTicks / 2 && m_options.runAgainHalfway)
                start();
        }
    }

private:
    void start()
    {
        m_runner.runScript(m_script);
        if (m_options.answer.contains(QLatin1Char('$')))
            return;
        for (const QString &line : m_state.scriptLines)
            require(!hasVariableMarker(line), "every $$$ is replaced");
    }
    // The document-complete event of the navigation under way.
    void completePage()
    {
        auto page = nextPage();
        m_browser.fuzzWindow->show(page);
        CurrentDoc = std::move(page);
        m_state.waitingForPage = false;
    }
    std::shared_ptr<Document> nextPage()
    {
        const QByteArray &html = ScriptPages[m_shown++ % ScriptPages.size()];
        return buildHtmlDocument(html, "text/html; charset=utf-8", kPageAddress, m_browser.fuzzWindow);
    }

    const RunOptions m_options;
    const QString m_script;
    size_t m_shown = 0;
    RunState m_state;
    RecordingHost m_host;
    FuzzBrowserAccess m_browser{m_state};
    BrowserPageActions m_page{m_browser, m_state};
    ScriptRunner m_runner{m_state, m_host, m_browser, m_page};
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // The runner's timer needs an application object, though no event loop ever runs.
    static QCoreApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    checkScriptText(bytes);
    ScriptRun(RunOptions(data[0]), scriptTextFromBytes(bytes)).run();
    return 0;
}
