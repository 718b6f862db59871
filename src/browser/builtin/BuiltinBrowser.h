#pragma once

#include "browser/Browser.h"
#include "browser/builtin/DocumentBuilder.h"
#include "browser/builtin/DocumentDisposal.h"
#include "browser/builtin/net/LoadLimits.h"
#include "browser/builtin/net/NetworkAccess.h"

#include <QObject>

#include <memory>
#include <vector>

class BuiltinWindow;

// The name the built-in browser's windows report and its program is known by.
inline constexpr char BuiltinBrowserName[] = "NavRelay Browser";

// The built-in browser: its windows in the order they were opened, and the one network
// access (connections, cookie jar), document builder and disposal they all share for the session.
class BuiltinBrowser final : public QObject, public Browser {
    Q_OBJECT
public:
    explicit BuiltinBrowser(const LoadLimits &limits = {}, QObject *parent = nullptr);
    // Closes every window still open.
    ~BuiltinBrowser() override;

    [[nodiscard]] QString browserName() const override;
    [[nodiscard]] QString programName() const override;
    [[nodiscard]] std::vector<std::shared_ptr<BrowserWindow>> windows() override;
    [[nodiscard]] std::shared_ptr<BrowserWindow> createWindow() override;
    // Opens a window that shows an empty page at once, as a freshly started browser does.
    void startProgram() override;
    // Asks the view of the first window whose title is, starts with or ends with `title` to come forward.
    void activateWindow(const QString &title) override;
    // The receiver reaches every window, those open now and those opened later.
    void setPersonActions(PersonActions *receiver) override;
    // Null while nothing is recorded.
    [[nodiscard]] PersonActions *personActions() const { return m_personActions; }

    [[nodiscard]] std::shared_ptr<BuiltinWindow> openWindow();
    [[nodiscard]] const std::vector<std::shared_ptr<BuiltinWindow>> &builtinWindows() const { return m_windows; }
    // The open window that carries this name (the target of links and forms), or null.
    [[nodiscard]] std::shared_ptr<BuiltinWindow> windowNamed(const QString &name) const;

    [[nodiscard]] NetworkAccess &network() { return m_network; }
    [[nodiscard]] const LoadLimits &limits() const { return m_limits; }
    [[nodiscard]] DocumentBuilder &documentBuilder() { return m_documentBuilder; }
    [[nodiscard]] DocumentDisposal &documentDisposal() { return m_documentDisposal; }

signals:
    void windowOpened(BuiltinWindow *window);

private:
    friend class BuiltinWindow;
    void forgetWindow(const BuiltinWindow *window);

    const LoadLimits m_limits;
    NetworkAccess m_network;
    DocumentDisposal m_documentDisposal;
    DocumentBuilder m_documentBuilder;
    std::vector<std::shared_ptr<BuiltinWindow>> m_windows;
    PersonActions *m_personActions = nullptr;
};
