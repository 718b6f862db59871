// Script lines from a person's clicks, typing and navigation.
#include "page/ScriptRecorder.h"

#include "engine/ScriptText.h"

#include <QStringList>

#include <algorithm>
#include <limits>

namespace {

// Whether the text survives as a field of a script line: the runner splits lines at ";" and
// line breaks, reads "#" in the first two fields as a random number, and fills in "$$$".
bool fitsInField(const QString &text)
{
    return !text.isEmpty() && !text.contains(QLatin1Char(';')) && !text.contains(QLatin1Char('#'))
        && !text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n')) && !hasVariableMarker(text);
}

// clickitem counts positions in a 16-bit integer.
bool fitsInPosition(int position)
{
    return position >= 0 && position <= std::numeric_limits<qint16>::max();
}

QString line(const QStringList &fields)
{
    return fields.join(QLatin1Char(';'));
}

QString flag(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

bool isLink(const ClickedElement &element)
{
    return element.tagName == QLatin1String("A");
}

bool isButton(const ClickedElement &element)
{
    if (element.tagName == QLatin1String("BUTTON"))
        return true;
    return element.tagName == QLatin1String("INPUT")
        && (element.type == QLatin1String("submit") || element.type == QLatin1String("button"));
}

bool isCheckable(const ClickedElement &element)
{
    return element.tagName == QLatin1String("INPUT")
        && (element.type == QLatin1String("checkbox") || element.type == QLatin1String("radio"));
}

// A click the runner should wait for a page after.
bool navigates(const ClickedElement &element)
{
    return isLink(element) || element.type == QLatin1String("submit") || element.type == QLatin1String("image");
}

QString lookupLine(const ClickedElement &element)
{
    if (isLink(element) && element.firstLinkWithText && fitsInField(element.text))
        return line({element.opensNewWindow ? QStringLiteral("clinknew") : QStringLiteral("clink"), element.text});
    if (isButton(element)) {
        if (element.firstButtonWithCaption && fitsInField(element.value))
            return line({QStringLiteral("clickbutton"), element.value, flag(navigates(element))});
        // clickbuttonbyname always waits for a page: only a submit button may use it.
        if (element.type == QLatin1String("submit") && element.firstWithName && fitsInField(element.name))
            return line({QStringLiteral("clickbuttonbyname"), element.name});
    }
    if (isCheckable(element) && fitsInField(element.name) && fitsInPosition(element.positionInName))
        return line({QStringLiteral("clickitem"), element.name, QString::number(element.positionInName)});
    return {};
}

// The address as a nav line can hold it: the fragment (never sent to the server) left out, and
// the characters a line cannot hold escaped as a browser would.
QString navigableAddress(const QString &url)
{
    QString address = url.section(QLatin1Char('#'), 0, 0);
    address.replace(QLatin1Char(';'), QLatin1String("%3B"));
    address.replace(QLatin1Char('$'), QLatin1String("%24"));
    return address;
}

} // namespace

QString clickLine(const ClickedElement &element)
{
    if (QString found = lookupLine(element); !found.isEmpty())
        return found;
    if (element.firstWithId && fitsInField(element.id))
        return line({QStringLiteral("clickelementbyid"), element.id, flag(navigates(element))});
    if (fitsInPosition(element.position))
        return line({QStringLiteral("clickitem"), QString::number(element.position)});
    return {};
}

QString fillLine(const ChangedField &field, bool passwordsAsked)
{
    const bool asked = passwordsAsked && field.type == QLatin1String("password");
    const QString value = asked ? kVariableMarker : field.value;
    const QString label = field.name.isEmpty() ? field.id : field.name;
    if (!asked && !value.isEmpty() && !fitsInField(value)) {
        return line({QStringLiteral("rem"),
                     QStringLiteral("the value typed into \"%1\" holds a line break, \";\", \"#\" or \"$$$\" "
                                    "and cannot be written as a line")
                         .arg(label)});
    }
    if (field.firstWithName && fitsInField(field.name))
        return line({QStringLiteral("fill"), field.name, value});
    // fillbyid takes input elements only.
    if (field.tagName == QLatin1String("INPUT") && field.firstWithId && fitsInField(field.id))
        return line({QStringLiteral("fillbyid"), field.id, value});
    return line({QStringLiteral("rem"),
                 QStringLiteral("a field with no name or id of its own was changed (%1 at position %2)")
                     .arg(field.tagName.toLower())
                     .arg(field.position)});
}

ScriptRecorder::ScriptRecorder(LineWriter writeLine, Options options)
    : m_writeLine(std::move(writeLine))
    , m_options(options)
{
}

void ScriptRecorder::addressTyped(const QString &url)
{
    writeChangedFields();
    write(line({QStringLiteral("nav"), navigableAddress(url)}));
}

void ScriptRecorder::elementClicked(const ClickedElement &element)
{
    writeChangedFields();
    write(clickLine(element));
}

void ScriptRecorder::fieldChanged(const ChangedField &field)
{
    const auto same = std::find_if(m_changedFields.begin(), m_changedFields.end(),
                                   [&](const ChangedField &changed) { return changed.position == field.position; });
    if (same != m_changedFields.end())
        *same = field;
    else
        m_changedFields.push_back(field);
}

void ScriptRecorder::wentBack()
{
    writeChangedFields();
    write(QStringLiteral("back"));
}

void ScriptRecorder::finish()
{
    writeChangedFields();
}

void ScriptRecorder::write(const QString &line)
{
    if (!line.isEmpty())
        m_writeLine(line);
}

void ScriptRecorder::writeChangedFields()
{
    for (const ChangedField &field : m_changedFields)
        write(fillLine(field, m_options.askForPasswords));
    m_changedFields.clear();
}
