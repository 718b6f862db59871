#pragma once

#include <QPlainTextEdit>
#include <QSet>

#include <optional>

// How the line a run stands on is marked.
enum class RunLineState { Running, WaitingForPage, Paused };

// A finding on one script line (zero-based), shown underlined with its message as a tooltip.
struct LineFinding {
    int line = 0;
    QString message;
};

// The script editor: the plain text the library and the runner read, with a gutter of line
// numbers and breakpoints, the line a run stands on, the line a run halted on with its error,
// and underlined findings.
class ScriptEditor final : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ScriptEditor(QWidget *parent = nullptr);

    // Breakpoints are kept on the text's lines, so they move with the lines as the text is edited.
    [[nodiscard]] QSet<int> breakpoints() const;
    [[nodiscard]] bool hasBreakpointAt(int line) const;
    void toggleBreakpoint(int line);
    void toggleBreakpointAtCursor();

    void setRunLine(int line, RunLineState state);
    void clearRunLine();
    [[nodiscard]] std::optional<int> runLine() const { return m_runLine; }
    void setHaltedLine(int line, const QString &message);
    void clearHaltedLine();
    [[nodiscard]] std::optional<int> haltedLine() const { return m_haltedLine; }
    void setFindings(QList<LineFinding> findings);

    [[nodiscard]] int gutterWidth() const;
    [[nodiscard]] QWidget *gutter() const { return m_gutter; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

private:
    friend class ScriptEditorGutter;

    void paintGutter(QPaintEvent *event);
    void gutterClicked(const QPoint &position);
    void updateGutter(const QRect &rect, int dy);
    void updateLineMarks();
    [[nodiscard]] QTextBlock blockAtLine(int line) const;
    [[nodiscard]] QString findingAt(const QPoint &viewportPosition) const;

    QWidget *m_gutter;
    std::optional<int> m_runLine;
    RunLineState m_runState = RunLineState::Running;
    std::optional<int> m_haltedLine;
    QString m_haltMessage;
    QList<LineFinding> m_findings;
};
