#include "platform/geometry.h"

#include <QtTest>

using kadrilo::platform::twipsToPixels;

class TstGeometry : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void twipsToPixels_data() {
        QTest::addColumn<int>("twips");
        QTest::addColumn<qreal>("dpi");
        QTest::addColumn<int>("pixels");

        QTest::addRow("15 twips are one pixel at 96 dpi") << 15 << 96.0 << 1;
        QTest::addRow("an inch is 120 pixels at 120 dpi") << 1440 << 120.0 << 120;
        QTest::addRow("statistics window width") << 16065 << 96.0 << 1071;
        QTest::addRow("7 twips round down to 0") << 7 << 96.0 << 0;
        QTest::addRow("8 twips round up to 1") << 8 << 96.0 << 1;
        QTest::addRow("a pixel and a half rounds up") << 30 << 72.0 << 2;
        QTest::addRow("negative offsets keep their sign") << -30 << 96.0 << -2;
    }

    void twipsToPixels() {
        QFETCH(int, twips);
        QFETCH(qreal, dpi);
        QFETCH(int, pixels);
        QCOMPARE(::twipsToPixels(twips, dpi), pixels);
    }

    void touchingBoxesStillTouch() {
        // Two boxes that share an edge in twips share it in pixels, whatever the rounding.
        for (int left = 0; left < 200; left += 7) {
            const QRect first = kadrilo::platform::twipsRect(left, 0, 1583, 255);
            const QRect second = kadrilo::platform::twipsRect(left + 1583, 0, 977, 255);
            QCOMPARE(first.right() + 1, second.left());
        }
    }
};

QTEST_MAIN(TstGeometry)
#include "tst_geometry.moc"
