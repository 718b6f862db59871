#include "engine/ScriptError.h"

ScriptError::ScriptError(int number, QString description)
    : m_number(number)
    , m_description(description.isEmpty() ? standardDescription(number) : std::move(description))
    , m_what(QStringLiteral("%1: %2").arg(m_number).arg(m_description).toUtf8())
{
}

QString ScriptError::standardDescription(int number)
{
    switch (number) {
    case Overflow: return QStringLiteral("Overflow");
    case SubscriptOutOfRange: return QStringLiteral("Subscript out of range");
    case TypeMismatch: return QStringLiteral("Type mismatch");
    case PathNotFound: return QStringLiteral("Path not found");
    case ObjectNotSet: return QStringLiteral("Object variable not set");
    case NotSupported: return QStringLiteral("Object doesn't support this property or method");
    case RemoteUnavailable:
        return QStringLiteral("The remote server machine does not exist or is unavailable");
    default: return QStringLiteral("Application-defined or object-defined error");
    }
}
