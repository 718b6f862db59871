#include "page/Document.h"

#include <gtest/gtest.h>

namespace {

// An element whose type property fails with the given error, or reads "submit" without one.
class TypedElement final : public Element {
public:
    explicit TypedElement(int error = 0) : m_error(error) {}
    QString tagName() const override { return QStringLiteral("DIV"); }
    QString innerText() const override { return {}; }
    QString innerHTML() const override { return {}; }
    QString className() const override { return {}; }
    QString id() const override { return {}; }
    QString name() const override { return {}; }
    QString type() const override
    {
        if (m_error)
            throw ScriptError(m_error);
        return QStringLiteral("submit");
    }
    QString value() const override { return {}; }
    QString src() const override { return {}; }
    QString href() const override { return {}; }
    QString target() const override { return {}; }
    void setValue(const QString &) override {}
    void setInnerText(const QString &) override {}
    void setTarget(const QString &) override {}
    void click() override {}
    std::unique_ptr<Collection> all() const override { return nullptr; }

private:
    const int m_error;
};

// Only the missing property reads as no type: a lost browser is not taken for an element
// without one.
TEST(Element, TypeIfAnyIsEmptyOnlyWhereThePropertyIsMissing)
{
    EXPECT_EQ(TypedElement().typeIfAny(), QStringLiteral("submit"));
    EXPECT_EQ(TypedElement(NotSupported).typeIfAny(), std::nullopt);
    try {
        (void)TypedElement(RemoteUnavailable).typeIfAny();
        FAIL() << "a lost browser reads as an element without a type";
    } catch (const ScriptError &error) {
        EXPECT_EQ(error.number(), RemoteUnavailable);
    }
}

} // namespace
