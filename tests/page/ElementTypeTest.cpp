#include "EngineDoubles.h"

#include <gtest/gtest.h>

namespace {

// An element whose type property fails with the given error, or reads "submit" without one.
class TypedElement final : public BodyElement {
public:
    explicit TypedElement(int error = 0) : BodyElement(QString()), m_error(error) {}
    QString type() const override
    {
        if (m_error)
            throw ScriptError(m_error);
        return QStringLiteral("submit");
    }

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
