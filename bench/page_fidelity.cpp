// How close the built-in browser's page view draws pages to Chromium: each page of a folder
// (bench/fidelity: small documentation-like pages with their style sheets and pictures) is
// served on 127.0.0.1, drawn by the page view and by headless Chromium into a window of the
// same size, and the two first screens compared by their structural similarity (SSIM of the
// grey levels over 8x8 windows: 1 is the same picture). Prints each page's figure, the median
// and the lowest.
//
//     page_fidelity [FOLDER] [--keep FOLDER_FOR_PICTURES]
#include "browser/builtin/BuiltinBrowser.h"
#include "browser/builtin/BuiltinWindow.h"
#include "browser/builtin/view/PageView.h"

#include <httplib.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <thread>

namespace {

constexpr QSize WindowSize(800, 600);
// Time the view is given for the page's style sheets and pictures to arrive.
constexpr int ResourceTimeMs = 1500;

void spin(int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
}

[[nodiscard]] QImage drawnByView(BuiltinBrowser &browser, const QString &url)
{
    const auto window = browser.openWindow();
    PageView view(browser.network(), browser.limits());
    view.setFrameShape(QFrame::NoFrame);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.resize(WindowSize);
    view.show();
    window->navigate(url);
    QDeadlineTimer loaded(30'000);
    while (window->isBusy() && !loaded.hasExpired())
        spin(20);
    view.showDocument(window->document(), QUrl(url));
    spin(ResourceTimeMs);
    view.refreshNow();
    const QImage picture = view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    window->quit();
    return picture;
}

[[nodiscard]] QImage drawnByChromium(const QString &url, const QString &file)
{
    QProcess chromium;
    chromium.start(QStringLiteral("chromium"),
                   {QStringLiteral("--headless=new"), QStringLiteral("--no-sandbox"), QStringLiteral("--disable-gpu"),
                    QStringLiteral("--hide-scrollbars"), QStringLiteral("--force-device-scale-factor=1"),
                    QStringLiteral("--window-size=%1,%2").arg(WindowSize.width()).arg(WindowSize.height()),
                    QStringLiteral("--screenshot=") + file, url});
    if (!chromium.waitForFinished(60'000))
        chromium.kill();
    return QImage(file).convertToFormat(QImage::Format_RGB32);
}

// The mean structural similarity of the grey levels of two pictures of the same size.
[[nodiscard]] double ssim(const QImage &a, const QImage &b)
{
    constexpr int Window = 8;
    constexpr int Step = 4;
    constexpr double C1 = (0.01 * 255) * (0.01 * 255);
    constexpr double C2 = (0.03 * 255) * (0.03 * 255);
    const QSize size = a.size().boundedTo(b.size());
    double total = 0;
    int windows = 0;
    for (int top = 0; top + Window <= size.height(); top += Step) {
        for (int left = 0; left + Window <= size.width(); left += Step) {
            double sumA = 0, sumB = 0, sumAA = 0, sumBB = 0, sumAB = 0;
            for (int y = top; y < top + Window; ++y) {
                for (int x = left; x < left + Window; ++x) {
                    const double ga = qGray(a.pixel(x, y));
                    const double gb = qGray(b.pixel(x, y));
                    sumA += ga;
                    sumB += gb;
                    sumAA += ga * ga;
                    sumBB += gb * gb;
                    sumAB += ga * gb;
                }
            }
            constexpr double N = Window * Window;
            const double meanA = sumA / N, meanB = sumB / N;
            const double varA = sumAA / N - meanA * meanA, varB = sumBB / N - meanB * meanB;
            const double covariance = sumAB / N - meanA * meanB;
            total += ((2 * meanA * meanB + C1) * (2 * covariance + C2))
                / ((meanA * meanA + meanB * meanB + C1) * (varA + varB + C2));
            ++windows;
        }
    }
    return windows > 0 ? total / windows : 0;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const qsizetype keepAt = arguments.indexOf(QStringLiteral("--keep"));
    const QString keep = keepAt > 0 && keepAt + 1 < arguments.size() ? arguments[keepAt + 1] : QString();
    const QString folder = arguments.size() > 1 && !arguments[1].startsWith(QStringLiteral("--"))
        ? arguments[1]
        : QStringLiteral(NAVRELAY_FIDELITY_DIR);

    httplib::Server server;
    server.set_mount_point("/", QDir(folder).absolutePath().toStdString());
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&server] { server.listen_after_bind(); });

    QTemporaryDir pictures;
    BuiltinBrowser browser;
    std::vector<double> figures;
    for (const QString &page : QDir(folder).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name)) {
        const QString url = QStringLiteral("http://127.0.0.1:%1/%2").arg(port).arg(page);
        const QImage view = drawnByView(browser, url);
        const QImage chromium = drawnByChromium(url, pictures.filePath(page + QStringLiteral(".png")));
        const double figure = chromium.isNull() ? 0 : ssim(view, chromium);
        figures.push_back(figure);
        std::printf("%-16s %.3f\n", qPrintable(page), figure);
        if (!keep.isEmpty()) {
            QDir().mkpath(keep);
            view.save(QDir(keep).filePath(page + QStringLiteral(".view.png")));
            chromium.save(QDir(keep).filePath(page + QStringLiteral(".chromium.png")));
        }
    }
    server.stop();
    serving.join();
    if (figures.empty())
        return 1;
    std::sort(figures.begin(), figures.end());
    const size_t middle = figures.size() / 2;
    const double median = figures.size() % 2 ? figures[middle] : (figures[middle - 1] + figures[middle]) / 2;
    std::printf("median %.3f  min %.3f  (%zu pages, %dx%d)\n", median, figures.front(), figures.size(),
                WindowSize.width(), WindowSize.height());
    return 0;
}
