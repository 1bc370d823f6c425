#include "ui/form1.h"
#include "ui/platform.h"

#include <QFontInfo>
#include <QImage>
#include <QPushButton>
#include <QScreen>
#include <QTest>

class Screenshot : public QObject {
    Q_OBJECT
private slots:
    void windowAsShown() {
        ui::RegisterWindowFonts();
        const rt::SystemClock clock;
        const timecal::SystemTimeZone zone;
        ui::Form1 form({[](const QString&) {}, &clock, &zone,
                        QLocale(QLocale::English, QLocale::UnitedKingdom)});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::qWait(200);
        const QFontInfo font(form.Command1(12)->font());
        qInfo() << "button font" << font.family() << font.pixelSize() << font.bold();

        const QImage shot = form.screen()->grabWindow(form.winId()).toImage();
        QCOMPARE(shot.size(), QSize(483, 187));
        // Not a blank grab: the window has both its face colour and dark text.
        QSet<QRgb> colours;
        for (int y = 0; y < shot.height(); y += 3) {
            for (int x = 0; x < shot.width(); x += 3) {
                colours.insert(shot.pixel(x, y));
            }
        }
        QVERIFY(colours.size() > 10);
        const QString path = qEnvironmentVariable("SCREENSHOT_PATH", "window.png");
        QVERIFY(shot.save(path));
        qInfo() << "saved" << path;
    }
};

QTEST_MAIN(Screenshot)
#include "tst_screenshot.moc"
