#include "report/image_filter.h"

#include <QTest>

using namespace kadrilo::report;

class TestImageFilter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keeps_data() {
        QTest::addColumn<QStringList>("filters"); // options of the command line
        QTest::addColumn<QByteArray>("tagLines");
        QTest::addColumn<bool>("kept");
        const auto row = [](const char *name, std::initializer_list<const char *> filters,
                            const char *lines, bool kept) {
            QStringList list;
            for (const char *filter : filters)
                list << QString::fromUtf8(filter);
            QTest::addRow("%s", name) << list << QByteArray(lines) << kept;
        };
        const char *zoom = "Model: Canon EOS 5D Mark II\nLensID: Canon EF 24-70mm f/2.8L II USM\n";
        row("no filter keeps an image without tags", {}, "", true);
        row("lens text in another case", {"--objectif", "ef 24-70MM"}, zoom, true);
        row("a lens name holding the text of another", {"--objectif", "24-70mm f/2.8L USM"}, zoom,
            false);
        row("LensIDNumber is no LensID", {"--objectif", "24-70"},
            "LensIDNumber: 24-70\nLensID: Canon EF 50mm f/1.8\n", false);
        row("lens filter, no LensID", {"--objectif", "50mm"}, "Model: Canon EOS 50D\n", false);
        row("the first LensID counts", {"--objectif", "B"}, "LensID: A\nLensID: B\n", false);
        row("accented text folded", {"--objectif", "ÉTÉ"}, "LensID: Objectif d'été 35mm\n", true);
        row("body text inside the model", {"--boitier", "5d mark ii"}, zoom, true);
        row("both must hold", {"--boitier", "5D Mark III", "--objectif", "24-70"}, zoom, false);
        const char *lastSecond = "DateTimeOriginal: 2023:07:14 23:59:59\r\n";
        row("last second of the last day", {"--jusqu-au", "2023-07-14"}, lastSecond, true);
        row("first second after the last day", {"--jusqu-au", "2023-07-13"},
            "DateTimeOriginal: 2023:07:14 00:00:00\n", false);
        row("first second of the first day", {"--depuis", "2023-07-14"},
            "DateTimeOriginal: 2023:07:14 00:00:00\n", true);
        row("last second before the first day", {"--depuis", "2023-07-15"}, lastSecond, false);
        row("one day, both ends", {"--depuis", "2023-07-14", "--jusqu-au", "2023-07-14"},
            lastSecond, true);
        row("missing date left out", {"--depuis", "2000-01-01"}, zoom, false);
        row("unset camera clock left out", {"--jusqu-au", "2100-01-01"},
            "DateTimeOriginal: 0000:00:00 00:00:00\n", false);
        row("missing date kept without a date filter", {"--boitier", "5D"}, zoom, true);
    }

    void keeps() {
        QFETCH(QStringList, filters);
        QFETCH(QByteArray, tagLines);
        QFETCH(bool, kept);
        const ParsedArguments parsed =
            parseReportArguments(QStringList(filters) << QStringLiteral("/photos"));
        QCOMPARE(parsed.action, ParsedArguments::Action::Run);
        const ImageFilter filter(parsed.options);
        QCOMPARE(filter.isActive(), !filters.isEmpty());
        QCOMPARE(filter.keeps(kadrilo::readImageTags(tagLines)), kept);
    }
};

QTEST_GUILESS_MAIN(TestImageFilter)
#include "tst_image_filter.moc"
