#include "EngineDoubles.h"

namespace {

class BodyElement : public Element {
public:
    explicit BodyElement(QString html) : m_html(std::move(html)) {}
    QString tagName() const override { return QStringLiteral("BODY"); }
    QString innerText() const override { return m_html; }
    QString innerHTML() const override { return m_html; }
    QString className() const override { return {}; }
    QString id() const override { return {}; }
    QString name() const override { throw ScriptError(NotSupported); }
    QString type() const override { throw ScriptError(NotSupported); }
    QString value() const override { throw ScriptError(NotSupported); }
    QString src() const override { throw ScriptError(NotSupported); }
    QString href() const override { throw ScriptError(NotSupported); }
    QString target() const override { throw ScriptError(NotSupported); }
    void setValue(const QString &) override { throw ScriptError(NotSupported); }
    void setInnerText(const QString &) override {}
    void setTarget(const QString &) override { throw ScriptError(NotSupported); }
    void click() override {}
    std::unique_ptr<Collection> all() const override { throw ScriptError(NotSupported); }

private:
    QString m_html;
};

} // namespace

std::unique_ptr<Element> BodyOnlyDocument::body() const
{
    return std::make_unique<BodyElement>(m_bodyHtml);
}
