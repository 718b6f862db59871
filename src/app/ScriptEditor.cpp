#include "app/ScriptEditor.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolTip>

namespace {

constexpr int kGutterPadding = 4;
constexpr int kMarkerDiameter = 9;

const QColor kRunningColour(0xdd, 0xee, 0xff);
const QColor kWaitingColour(0xff, 0xf0, 0xc0);
const QColor kPausedColour(0xd8, 0xf5, 0xd0);
const QColor kHaltedColour(0xff, 0xd8, 0xd8);
const QColor kBreakpointColour(0xc0, 0x20, 0x20);
const QColor kHaltMessageColour(0xa0, 0x10, 0x10);

// Marks a block as holding a breakpoint; the block carries it through edits of the text.
class BreakpointMark final : public QTextBlockUserData {
};

[[nodiscard]] bool hasBreakpoint(const QTextBlock &block)
{
    return dynamic_cast<const BreakpointMark *>(block.userData()) != nullptr;
}

[[nodiscard]] QColor runLineColour(RunLineState state)
{
    switch (state) {
    case RunLineState::WaitingForPage:
        return kWaitingColour;
    case RunLineState::Paused:
        return kPausedColour;
    case RunLineState::Running:
        break;
    }
    return kRunningColour;
}

} // namespace

class ScriptEditorGutter final : public QWidget {
public:
    explicit ScriptEditorGutter(ScriptEditor &editor)
        : QWidget(&editor)
        , m_editor(editor)
    {
        setObjectName(QStringLiteral("scriptEditorGutter"));
        setCursor(Qt::PointingHandCursor);
    }

    QSize sizeHint() const override { return {m_editor.gutterWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent *event) override { m_editor.paintGutter(event); }
    void mousePressEvent(QMouseEvent *event) override { m_editor.gutterClicked(event->position().toPoint()); }

private:
    ScriptEditor &m_editor;
};

ScriptEditor::ScriptEditor(QWidget *parent)
    : QPlainTextEdit(parent)
    , m_gutter(new ScriptEditorGutter(*this))
{
    connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { setViewportMargins(gutterWidth(), 0, 0, 0); });
    connect(this, &QPlainTextEdit::updateRequest, this, &ScriptEditor::updateGutter);
    // An edit moves the lines under the marks of a run: they are cleared rather than left on the wrong line.
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (m_haltedLine)
            clearHaltedLine();
    });
    setViewportMargins(gutterWidth(), 0, 0, 0);
}

int ScriptEditor::gutterWidth() const
{
    int digits = 1;
    for (int count = qMax(1, blockCount()); count >= 10; count /= 10)
        ++digits;
    return kGutterPadding * 3 + kMarkerDiameter + fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits;
}

QTextBlock ScriptEditor::blockAtLine(int line) const
{
    return document()->findBlockByNumber(line);
}

QSet<int> ScriptEditor::breakpoints() const
{
    QSet<int> lines;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        if (hasBreakpoint(block))
            lines.insert(block.blockNumber());
    return lines;
}

bool ScriptEditor::hasBreakpointAt(int line) const
{
    return hasBreakpoint(blockAtLine(line));
}

void ScriptEditor::toggleBreakpoint(int line)
{
    QTextBlock block = blockAtLine(line);
    if (!block.isValid())
        return;
    block.setUserData(hasBreakpoint(block) ? nullptr : new BreakpointMark);
    m_gutter->update();
}

void ScriptEditor::toggleBreakpointAtCursor()
{
    toggleBreakpoint(textCursor().blockNumber());
}

void ScriptEditor::setRunLine(int line, RunLineState state)
{
    m_runLine = line;
    m_runState = state;
    updateLineMarks();
    // Scrolled into view without moving the user's cursor; the scroll bar counts lines.
    const int first = firstVisibleBlock().blockNumber();
    const int visible = qMax(1, viewport()->height() / fontMetrics().lineSpacing());
    if (line < first || line >= first + visible - 1)
        verticalScrollBar()->setValue(qMax(0, line - visible / 2));
}

void ScriptEditor::clearRunLine()
{
    m_runLine.reset();
    updateLineMarks();
}

void ScriptEditor::setHaltedLine(int line, const QString &message)
{
    m_haltedLine = line;
    m_haltMessage = message;
    updateLineMarks();
}

void ScriptEditor::clearHaltedLine()
{
    m_haltedLine.reset();
    m_haltMessage.clear();
    updateLineMarks();
}

void ScriptEditor::setFindings(QList<LineFinding> findings)
{
    m_findings = std::move(findings);
    updateLineMarks();
}

void ScriptEditor::updateLineMarks()
{
    QList<QTextEdit::ExtraSelection> selections;
    const auto wholeLine = [&](int line, const QColor &colour) {
        const QTextBlock block = blockAtLine(line);
        if (!block.isValid())
            return;
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(block);
        selection.format.setBackground(colour);
        selection.format.setProperty(QTextFormat::FullWidthSelection, true);
        selections << selection;
    };
    if (m_haltedLine)
        wholeLine(*m_haltedLine, kHaltedColour);
    else if (m_runLine)
        wholeLine(*m_runLine, runLineColour(m_runState));
    for (const LineFinding &finding : m_findings) {
        const QTextBlock block = blockAtLine(finding.line);
        if (!block.isValid() || block.length() <= 1)
            continue;
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(block);
        selection.cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        selection.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        selection.format.setUnderlineColor(Qt::red);
        selection.format.setToolTip(finding.message);
        selections << selection;
    }
    setExtraSelections(selections);
    m_gutter->update();
    viewport()->update();
}

QString ScriptEditor::findingAt(const QPoint &viewportPosition) const
{
    const int line = cursorForPosition(viewportPosition).blockNumber();
    QStringList messages;
    for (const LineFinding &finding : m_findings)
        if (finding.line == line)
            messages << finding.message;
    if (m_haltedLine == line)
        messages << m_haltMessage;
    return messages.join(QLatin1Char('\n'));
}

bool ScriptEditor::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QString text = findingAt(viewport()->mapFromGlobal(help->globalPos()));
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QPlainTextEdit::event(event);
}

void ScriptEditor::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    const QRect client = contentsRect();
    m_gutter->setGeometry(client.left(), client.top(), gutterWidth(), client.height());
}

void ScriptEditor::paintEvent(QPaintEvent *event)
{
    QPlainTextEdit::paintEvent(event);
    if (!m_haltedLine || m_haltMessage.isEmpty())
        return;
    // The error stands beside the halting line, after its text.
    const QTextBlock block = blockAtLine(*m_haltedLine);
    if (!block.isValid() || !block.isVisible())
        return;
    const QRectF shape = blockBoundingGeometry(block).translated(contentOffset());
    const int textEnd = qRound(block.layout()->lineAt(0).naturalTextWidth()) + int(document()->documentMargin());
    QPainter painter(viewport());
    QFont font = this->font();
    font.setItalic(true);
    painter.setFont(font);
    painter.setPen(kHaltMessageColour);
    painter.drawText(QRectF(shape.left() + textEnd + 3 * kGutterPadding, shape.top(), viewport()->width(), shape.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("\u25C0 ") + m_haltMessage);
}

void ScriptEditor::updateGutter(const QRect &rect, int dy)
{
    if (dy != 0)
        m_gutter->scroll(0, dy);
    else
        m_gutter->update(0, rect.y(), m_gutter->width(), rect.height());
}

void ScriptEditor::paintGutter(QPaintEvent *event)
{
    QPainter painter(m_gutter);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    painter.setRenderHint(QPainter::Antialiasing);
    const int numberRight = m_gutter->width() - kGutterPadding;
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF shape = blockBoundingGeometry(block).translated(contentOffset());
        if (shape.top() > event->rect().bottom())
            break;
        if (!block.isVisible() || shape.bottom() < event->rect().top())
            continue;
        const int line = block.blockNumber();
        if (hasBreakpoint(block)) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(kBreakpointColour);
            const double y = shape.top() + (shape.height() - kMarkerDiameter) / 2;
            painter.drawEllipse(QRectF(kGutterPadding, y, kMarkerDiameter, kMarkerDiameter));
        }
        const bool marked = line == m_runLine || line == m_haltedLine;
        QFont font = this->font();
        font.setBold(marked);
        painter.setFont(font);
        painter.setPen(marked ? palette().color(QPalette::WindowText) : palette().color(QPalette::PlaceholderText));
        painter.drawText(QRectF(0, shape.top(), numberRight, shape.height()), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(line + 1));
    }
}

void ScriptEditor::gutterClicked(const QPoint &position)
{
    const QTextBlock block = cursorForPosition(QPoint(0, position.y())).block();
    if (block.isValid())
        toggleBreakpoint(block.blockNumber());
}
