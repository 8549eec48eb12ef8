// The HTML page of a held library in a real browser, Debian's headless Chromium: the numbers it
// lays out are those of the json format, the page stays within a laptop's and a phone's width
// with no label over another, it asks nothing outside the file and prints whole charts.
//
// Each check loads a copy of the page into which this test puts a small script of its own (the
// page itself carries none, and its policy forbids any): the script measures the laid-out page
// and writes its findings into the DOM, which `--dump-dom` hands back. The copy's policy only
// adds that inline script; any request outside the file breaks it and is counted, and every
// name resolves to nothing and every connection goes to a closed port.
#include "support/cr2_writer.h"
#include "support/cr3_writer.h"
#include "support/program_folder.h"
#include "support/program_run.h"
#include "support/text.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace kadrilo;
using kadrilo::test::s;

namespace {

const QString rapportPath = QStringLiteral(KADRILO_RAPPORT_PATH);
const QString capturesFolder = QStringLiteral(KADRILO_CAPTURES_DIR);

// Run inside the page copy: the classes of every chart as laid out, the page's width, the
// labels whose boxes meet, the charts taller than a printed page, and the refused requests.
const char measuringScript[] = R"js(
<script>
(function () {
  var refused = [];
  document.addEventListener('securitypolicyviolation', function (e) {
    refused.push(e.violatedDirective + ' ' + e.blockedURI);
  });
  function rows(root) {
    return [].map.call(root.querySelectorAll('tbody tr'), function (tr) {
      return {classe: tr.querySelector('th').innerText,
              photos: parseInt(tr.querySelector('td:nth-child(3)').innerText, 10),
              pourcentage: parseInt(tr.querySelector('td:nth-child(4)').innerText, 10)};
    });
  }
  function measure() {
    var found = {categories: {}, objectifs: {}, refused: refused, meeting: [], tall: [],
                 scrollWidth: document.documentElement.scrollWidth, width: window.innerWidth};
    document.querySelectorAll('section[data-cle]:not(.multiples)').forEach(function (section) {
      found.categories[section.getAttribute('data-cle')] = rows(section);
    });
    document.querySelectorAll('section.multiples').forEach(function (section) {
      var lenses = found.objectifs[section.getAttribute('data-cle')] = [];
      section.querySelectorAll('figure').forEach(function (figure) {
        var lens = {objectif: figure.querySelector('h3').innerText,
                    photos: parseInt(figure.querySelector('.total').innerText, 10)};
        lens[section.getAttribute('data-classes')] = rows(figure);
        lenses.push(lens);
      });
    });
    var uncounted = document.querySelector('.non-comptes');
    found.non_comptes = uncounted ? {objectifs: +uncounted.dataset.objectifs,
                                     photos: +uncounted.dataset.photos}
                                  : {objectifs: 0, photos: 0};
    var labels = [].slice.call(document.querySelectorAll(
        'h1, h2, h3, .resume p, .resume li, summary, thead th, tbody th, td:nth-child(n+3), p.note'));
    var boxes = labels.map(function (e) { return e.getBoundingClientRect(); });
    for (var i = 0; i < boxes.length; ++i) {
      var a = boxes[i];
      if (a.width <= 0 || a.height <= 0) continue;
      if (labels[i].scrollWidth > labels[i].clientWidth + 1 && labels[i].clientWidth > 0)
        found.meeting.push('coupé : ' + labels[i].innerText);
      for (var j = i + 1; j < boxes.length; ++j) {
        var b = boxes[j];
        if (b.width > 0 && b.height > 0 && a.left < b.right - 0.5 && b.left < a.right - 0.5 &&
            a.top < b.bottom - 0.5 && b.top < a.bottom - 0.5)
          found.meeting.push(labels[i].innerText + ' / ' + labels[j].innerText);
      }
    }
    // A printed page of A4 or Letter holds about 970 CSS pixels of height within its margins.
    document.querySelectorAll('main > section:not(.multiples), figure').forEach(function (c) {
      if (c.getBoundingClientRect().height > 970) found.tall.push(c.querySelector('h2, h3').innerText);
      if (getComputedStyle(c).breakInside !== 'avoid') found.tall.push('coupable');
    });
    var out = document.createElement('pre');
    out.id = 'mesures';
    out.textContent = JSON.stringify(found);
    document.body.appendChild(out);
    if (window.parent !== window) window.parent.postMessage(out.textContent, '*');
  }
  window.addEventListener('load', function () { setTimeout(measure, 100); });
})();
</script>
)js";

// A window narrower than 500 pixels is widened by Chromium: the page is laid out in a frame
// of the size asked for, which hands its findings to the frame's page.
const char framePage[] = R"html(<!DOCTYPE html>
<html><body style="margin:0">
<script>
window.addEventListener('message', function (e) {
  var out = document.createElement('pre');
  out.id = 'mesures';
  out.textContent = e.data;
  document.body.appendChild(out);
});
</script>
<iframe src="page.html" style="border:0;width:%1px;height:%2px"></iframe>
</body></html>
)html";

struct Browser {
    QString program;
    QString profile;

    // Runs Chromium headless over `page` (a file, and "#" a place in it) with `extra`
    // arguments; its standard error in `log`.
    QByteArray run(const QString &page, const QStringList &extra, QByteArray *log = nullptr) const {
        QStringList arguments =
            s("--headless=new --disable-gpu --no-first-run --no-default-browser-check "
              "--disable-extensions --disable-background-networking --disable-component-update "
              "--disable-sync --hide-scrollbars --enable-logging=stderr --v=0 "
              "--proxy-server=127.0.0.1:9")
                .split(u' ');
        arguments << s("--host-resolver-rules=MAP * ~NOTFOUND") << s("--user-data-dir=") + profile;
        if (::geteuid() == 0)
            arguments << s("--no-sandbox");
        QUrl url = QUrl::fromLocalFile(page.section(u'#', 0, 0));
        url.setFragment(page.section(u'#', 1), QUrl::DecodedMode);
        arguments << extra << url.toString();
        QProcess process;
        process.start(program, arguments);
        const test::Run ended = test::finishedRun(process);
        if (log)
            *log = ended.err;
        return ended.out;
    }
};

// A library of several bodies and lenses over years, hours and months, as CR2 and CR3, the
// real CRW sample when it is there, and one image ExifTool cannot read. Two bodies carry
// markup in their names.
bool writeLibrary(const QString &folder) {
    struct Photo {
        const char *name;
        const char *model;
        int lens; // index in kCr2Lenses
        double focal;
        const char *date;
        bool cr3;
    };
    const Photo photos[] = {
        {"a1", "Canon EOS 5D Mark II", 5, 24, "2019:06:01 07:15:00", false},
        {"a2", "Canon EOS 5D Mark II", 5, 24, "2019:06:01 07:20:00", false},
        {"a3", "Canon EOS 5D Mark II", 5, 105, "2020:12:24 18:05:00", false},
        {"a4", "Canon EOS 80D", 1, 18, "2021:03:14 12:00:00", false},
        {"a5", "Canon EOS 80D", 1, 55, "2021:03:14 12:30:00", true},
        {"a6", "Canon EOS R5", 0, 50, "2022:08:09 21:45:00", true},
        {"a7", "<script>alert(1)</script>", 4, 16, "2023:01:01 00:00:01", false},
        {"a8", "\"><img src=x onerror=alert(1)>", 3, 200, "2023:10:31 23:59:00", false},
    };
    for (const Photo &photo : photos) {
        test::Cr2Fixture fixture;
        fixture.model = s(photo.model);
        test::applyLens(fixture, test::kCr2Lenses[photo.lens]);
        fixture.focalLength = photo.focal;
        fixture.exposureNumerator = 1;
        fixture.exposureDenominator = 250;
        fixture.dateTimeOriginal = s(photo.date);
        const QString path = folder + u'/' + s(photo.name) + (photo.cr3 ? s(".CR3") : s(".CR2"));
        if (!(photo.cr3 ? test::writeCr3(path, fixture) : test::writeCr2(path, fixture)))
            return false;
    }
    const QString samples = test::samplesFolder();
    if (!samples.isEmpty())
        QFile::link(samples + s("/CanonRaw.crw"), folder + s("/a9.CRW"));
    return test::writeDamagedImage(folder + s("/abime.CR2"));
}

} // namespace

class TestReportHtmlBrowser : public QObject {
    Q_OBJECT

public:
    explicit TestReportHtmlBrowser(const QString &chromium) { m_browser.program = chromium; }

private:
    QTemporaryDir m_tmp;
    Browser m_browser;
    QByteArray m_page;
    QJsonObject m_json;
    QString m_copy;

    // The page copy in a frame of `width` x `height`.
    QString framed(int width, int height) const {
        const QString frame = m_tmp.filePath(s("cadre-%1.html").arg(width));
        QFile file(frame);
        if (file.open(QIODevice::WriteOnly))
            file.write(QString::fromUtf8(framePage).arg(width).arg(height).toUtf8());
        return frame;
    }

    // The page laid out at `width` x `height`, as its measuring script found it.
    QJsonObject measured(int width, int height, QByteArray *log) {
        const QString frame = framed(width, height);
        const QString dom = QString::fromUtf8(m_browser.run(
            frame,
            {s("--dump-dom"), s("--virtual-time-budget=3000"),
             s("--window-size=%1,%2").arg(std::max(width, 500) + 20).arg(height + 20)},
            log));
        const QRegularExpression found(s("<pre id=\"mesures\">(.*)</pre>"),
                                       QRegularExpression::DotMatchesEverythingOption);
        // The DOM dump writes the JSON's markup characters as references again.
        QString json = found.match(dom).captured(1);
        json.replace(s("&lt;"), s("<")).replace(s("&gt;"), s(">")).replace(s("&amp;"), s("&"));
        return QJsonDocument::fromJson(json.toUtf8()).object();
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_tmp.isValid());
        m_browser.profile = m_tmp.filePath(s("profil"));
        const QString library = m_tmp.filePath(s("bibliotheque"));
        QVERIFY(QDir().mkpath(library));
        QVERIFY(writeLibrary(library));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(s("XDG_CACHE_HOME"), m_tmp.filePath(s("cache")));
        environment.insert(s("TMPDIR"), m_tmp.path());
        const auto report = [&](const char *format) {
            QProcess process;
            process.setProcessEnvironment(environment);
            process.start(rapportPath, {s("--format"), s(format), library});
            return test::finishedRun(process);
        };
        const test::Run json = report("json");
        const test::Run html = report("html");
        // One image is unread: its reason goes to standard error, the others' numbers out.
        QCOMPARE(json.status, 9);
        QCOMPARE(html.status, 9);
        m_json = QJsonDocument::fromJson(json.out).object();
        m_page = html.out;
        QVERIFY(!m_json.isEmpty());

        QString copy = QString::fromUtf8(m_page);
        copy.replace(s("img-src data:\">"), s("img-src data:; script-src 'unsafe-inline'\">"));
        copy.replace(s("</body>"), QString::fromUtf8(measuringScript) + s("</body>"));
        // A screenshot of one chart: the copy shows the section named after "#" alone.
        copy.replace(s("</head>"), s("<style>body:has(section:target) header,"
                                     "main:has(section:target)>section:not(:target)"
                                     "{display:none}</style></head>"));
        m_copy = m_tmp.filePath(s("page.html"));
        QFile file(m_copy);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(copy.toUtf8());
    }

    // No element of the page can point outside it, and the unread image is named with its
    // reason.
    void pageNamesNothingOutside() {
        const QString page = QString::fromUtf8(m_page);
        const QRegularExpression element(s("<[^>]*>"));
        for (auto tags = element.globalMatch(page); tags.hasNext();) {
            const QString tag = tags.next().captured();
            for (const char *outside : {"src=", "href", "http:", "<script", "<img", "<link"})
                QVERIFY2(!tag.contains(s(outside), Qt::CaseInsensitive), qPrintable(tag));
        }
        for (const char *outside : {"http:", "https:", "@import", "url("})
            QVERIFY2(!page.contains(s(outside), Qt::CaseInsensitive), outside);
        QVERIFY(page.contains(s("abime.CR2 : ")));
        QVERIFY(page.contains(s("&lt;script&gt;alert(1)&lt;/script&gt;")));
    }

    void laidOutAsJsonAtEachWidth_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addRow("laptop 1366 x 768") << 1366 << 768;
        QTest::addRow("phone 390 x 844") << 390 << 844;
        // About the width of a printed page's text: every chart fits a page's height.
        QTest::addRow("printed page width 740") << 740 << 1000;
    }

    void laidOutAsJsonAtEachWidth() {
        QFETCH(int, width);
        QFETCH(int, height);
        QByteArray log;
        const QJsonObject found = measured(width, height, &log);
        QVERIFY2(!found.isEmpty(), log.constData());
        // Category by category, the browser shows the json format's classes and numbers.
        const QJsonObject categories = found.value(s("categories")).toObject();
        QVERIFY(categories.size() >= 12);
        for (auto it = categories.begin(); it != categories.end(); ++it)
            QVERIFY2(it.value() == m_json.value(it.key()), qPrintable(it.key()));
        // Each category counted per lens, one small chart per lens.
        const QJsonObject perLens = found.value(s("objectifs")).toObject();
        QCOMPARE(perLens.keys(),
                 QStringList({s("focales_par_objectif"), s("vitesse_de_securite_par_objectif")}));
        for (auto it = perLens.begin(); it != perLens.end(); ++it)
            QVERIFY2(it.value() == m_json.value(it.key()), qPrintable(it.key()));
        QCOMPARE(found.value(s("non_comptes")), m_json.value(s("objectifs_non_comptes")));
        QCOMPARE(categories.value(s("boitiers")).toArray().at(3).toObject().value(s("classe")),
                 s("<script>alert(1)</script>"));

        QCOMPARE(found.value(s("refused")).toArray(), QJsonArray());
        QVERIFY2(!log.contains("CONSOLE"), log.constData());
        QVERIFY2(found.value(s("scrollWidth")).toInt() <= found.value(s("width")).toInt(),
                 qPrintable(QString::number(found.value(s("scrollWidth")).toInt())));
        QCOMPARE(found.value(s("width")).toInt(), width);
        QCOMPARE(found.value(s("meeting")).toArray(), QJsonArray());
        QCOMPARE(found.value(s("tall")).toArray(), QJsonArray());
    }

    // A printed page count between the summary alone and a page per chart.
    void printsWholeCharts() {
        const QString pdf = m_tmp.filePath(s("page.pdf"));
        m_browser.run(m_copy, {s("--print-to-pdf=") + pdf, s("--no-pdf-header-footer")});
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const int pages = int(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") +
                              bytes.count("/Type /Page/") + bytes.count("/Type /Page>") +
                              bytes.count("/Type /Page "));
        QVERIFY2(pages >= 2 && pages <= 14, qPrintable(QString::number(pages)));
    }

    // Screenshots for the README, beside the build: look at them. The phone's is the frame's
    // page, the page on its left.
    void screenshots_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("place");
        QTest::addRow("laptop") << 1366 << 768 << QString();
        QTest::addRow("phone") << 390 << 844 << QString();
        QTest::addRow("lens focal lengths") << 1366 << 420 << s("focales_par_objectif");
    }

    void screenshots() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QString, place);
        QDir().mkpath(capturesFolder);
        const QString shot = capturesFolder + s("/statistiques-%1x%2%3.png")
                                                  .arg(width)
                                                  .arg(height)
                                                  .arg(place.isEmpty() ? QString() : u'-' + place);
        QFile::remove(shot);
        const bool narrow = width < 500;
        m_browser.run((narrow ? framed(width, height) : m_copy) +
                          (place.isEmpty() ? QString() : u'#' + place),
                      {s("--window-size=%1,%2").arg(std::max(width, 500)).arg(height),
                       s("--screenshot=") + shot});
        QVERIFY2(QFileInfo(shot).size() > 1000, qPrintable(shot));
    }
};

int main(int argc, char **argv) {
    QCoreApplication application(argc, argv);
    const QString chromium = QStandardPaths::findExecutable(s("chromium"));
    if (chromium.isEmpty()) {
        // CTest counts the test as skipped (SKIP_RETURN_CODE).
        QTextStream(stdout) << "SKIP: chromium is not installed (Debian package chromium)\n";
        return 77;
    }
    TestReportHtmlBrowser test(chromium);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_report_html_browser.moc"
