#include "engine/ActionTarget.h"

QString describeTarget(const ActionTarget &target)
{
    switch (target.kind) {
    case ActionTarget::Kind::Link: return QStringLiteral("the link \"%1\"").arg(target.text);
    case ActionTarget::Kind::FieldByName: return QStringLiteral("the field named \"%1\"").arg(target.text);
    case ActionTarget::Kind::ElementByClass: return QStringLiteral("the element with the class \"%1\"").arg(target.text);
    case ActionTarget::Kind::FieldById: return QStringLiteral("the field with the id \"%1\"").arg(target.text);
    case ActionTarget::Kind::Button: return QStringLiteral("the button \"%1\"").arg(target.text);
    case ActionTarget::Kind::ElementByName: return QStringLiteral("the element named \"%1\"").arg(target.text);
    case ActionTarget::Kind::Item:
        return target.text.isEmpty() ? QStringLiteral("the element at position %1").arg(target.index)
                                     : QStringLiteral("the element named \"%1\" at position %2").arg(target.text).arg(target.index);
    case ActionTarget::Kind::ImageInput: return QStringLiteral("the image input \"%1\"").arg(target.text);
    case ActionTarget::Kind::ElementById: return QStringLiteral("the element with the id \"%1\"").arg(target.text);
    }
    return {};
}
