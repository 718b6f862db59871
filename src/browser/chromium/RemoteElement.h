#pragma once

#include "browser/chromium/RemoteCall.h"
#include "page/Document.h"

#include <QJsonArray>

#include <memory>

class PageSession;

// A remote object handle and the group that keeps it alive in the page.
struct RemoteHandle {
    std::shared_ptr<PageSession> session;
    std::shared_ptr<RemoteObjectGroup> group;
    QString objectId;
};

// An element of a page shown by Chromium: the remote object itself, or the element at a
// position of a remote array (read on use, so taking it from a collection costs no round trip).
class RemoteElement : public Element {
public:
    RemoteElement(RemoteHandle handle, int index = -1);

    QString tagName() const override { return property("tagName"); }
    QString innerText() const override { return property("innerText"); }
    QString innerHTML() const override { return property("innerHTML"); }
    QString className() const override { return property("className"); }
    QString id() const override { return property("id"); }
    QString name() const override { return property("name"); }
    QString type() const override { return property("type"); }
    QString value() const override { return property("value"); }
    QString src() const override { return property("src"); }
    QString href() const override { return property("href"); }
    QString target() const override { return property("target"); }

    void setValue(const QString &value) override { setProperty("value", value); }
    void setInnerText(const QString &text) override { setProperty("innerText", text); }
    void setTarget(const QString &target) override { setProperty("target", target); }

    void click() override;
    std::unique_ptr<Collection> all() const override;

private:
    [[nodiscard]] QString property(const char *name) const;
    void setProperty(const char *name, const QString &value);
    [[nodiscard]] QJsonObject call(const char *function, QJsonArray arguments, const RemoteCallOptions &options) const;

    RemoteHandle m_handle;
    int m_index;
};

// A snapshot of elements in document order: a remote array and its length.
class RemoteCollection : public Collection {
public:
    RemoteCollection(RemoteHandle array, int length);

    int length() const override { return m_length; }
    std::unique_ptr<Element> item(int index) const override;
    // The types of all the elements are read at the first request, in one.
    std::optional<QString> typeIfAnyAt(int index) const override;

private:
    RemoteHandle m_array;
    int m_length;
    mutable std::optional<QJsonArray> m_types;
};

// The element a call returned, or null when it returned none. The call's objects were kept in
// the named group, which now belongs to the handle.
[[nodiscard]] std::unique_ptr<Element> remoteElementFrom(const QJsonObject &result,
                                                         const std::shared_ptr<PageSession> &session,
                                                         const QString &group);
// The collection made of the array a call returned.
[[nodiscard]] std::unique_ptr<Collection> remoteCollectionFrom(const QJsonObject &result,
                                                               const std::shared_ptr<PageSession> &session,
                                                               const QString &group);
