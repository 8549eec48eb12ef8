#include "report/report_results.h"

#include "analysis/results.h"
#include "report/recording_sink.h"
#include "run/module1.h"

#include <array>

namespace kadrilo::report {

namespace {

// A class name together with the window's caption beside its result.
struct ClassText {
    const char16_t *name;
    const char16_t *caption;
};

// The ISO band captions read 100 to 6400 then "H ", as the window writes them on showing.
constexpr std::array<ClassText, 8> isoTexts{{
    {u"100 (50 à 125)", u"100 :"},
    {u"200 (160 à 250)", u"200 :"},
    {u"400 (320 à 500)", u"400 :"},
    {u"800 (640 à 1000)", u"800 :"},
    {u"1600 (1250 à 2000)", u"1600 :"},
    {u"3200 (2500 à 4000)", u"3200 :"},
    {u"6400 (5000 à 6400)", u"6400 :"},
    {u"H (au dela de 6400)", u"H "},
}};

// The blanks before the colons are the window's own.
constexpr std::array<ClassText, 24> apertureTexts{{
    {u"F/1.2", u"F/1.2  :"}, {u"F/1.4", u"F/1.4  :"}, {u"F/1.6", u"F/1.6  :"},
    {u"F/1.8", u"F/1.8  :"}, {u"F/2", u"F/2    :"},   {u"F/2.2", u"F/2.2 :"},
    {u"F/2.5", u"F/2.5 :"},  {u"F/2.8", u"F/2.8 :"},  {u"F/3.2", u"F/3.2  :"},
    {u"F/3.5", u"F/3.5  :"}, {u"F/4", u"F/4     :"},  {u"F/4.5", u"F/4.5  :"},
    {u"F/5", u"F/5    :"},   {u"F/5.6", u"F/5.6 :"},  {u"F/6.3", u"F/6.3 :"},
    {u"F/7.1", u"F/7.1 :"},  {u"F/8", u"F/8    :"},   {u"F/9", u"F/9    :"},
    {u"F/10", u"F/10  :"},   {u"F/11", u"F/11   :"},  {u"F/13", u"F/13  :"},
    {u"F/14", u"F/14  :"},   {u"F/16", u"F/16  :"},   {u"F/22", u"F/22  :"},
}};

constexpr std::array<ClassText, 2> driveTexts{{
    {u"Mode vue par vue", u"Mode vue par vue :"},
    {u"Mode rafale", u"Mode rafale          :"},
}};

constexpr std::array<ClassText, 4> autofocusTexts{{
    {u"One-Shot", u"AF One-shot    :"},
    {u"AI Servo", u"AF Ai Servo     :"},
    {u"MAP Manuelle", u"MAP Manuelle :"},
    {u"AI Focus", u"AF Ai Focus    :"},
}};

template <std::size_t N>
ReportCategory category(const QString &key, const std::array<ClassText, N> &texts,
                        const std::array<QString, N> &results, const std::array<int, N> &counts,
                        const RecordedStatistics &recorded, Chart chart) {
    ReportCategory category{key, {}};
    for (std::size_t i = 0; i < N; ++i) {
        ReportClass item;
        item.name = QString::fromUtf16(texts[i].name);
        item.caption = QString::fromUtf16(texts[i].caption);
        item.result = results[i];
        item.photos = counts[i];
        item.percent = recorded.cell(chart, int(i) + 1, 1);
        category.classes << item;
    }
    return category;
}

} // namespace

const ReportCategory *ReportResults::category(const QString &key) const {
    for (const ReportCategory &candidate : categories) {
        if (candidate.key == key)
            return &candidate;
    }
    return nullptr;
}

namespace captions {
QString tabIso() {
    return QStringLiteral("ISO");
}
QString tabAperture() {
    return QStringLiteral("Diaphragme");
}
QString tabSpeed() {
    return QStringLiteral("Vitesse");
}
QString tabDrive() {
    return QStringLiteral("motorisation / AF");
}
QString tabLens() {
    return QStringLiteral("Objectifs");
}
QString tabFocal() {
    return QStringLiteral("Focales");
}
QString notWorkingYet() {
    return QStringLiteral("Non fonctionnel pour le moment !");
}
QString selfTimerNote() {
    return QStringLiteral("Nota : Le resultat peut ne pas être égal à 100% car les prises de vue "
                          "avec le retardateur ne sont pas prises en compte.");
}
} // namespace captions

ReportResults assembleResults(const statistiques_exif &stats, const Module1 &state,
                              const QString &folder, const RecordedStatistics &recorded) {
    ReportResults results;
    results.files = stats.nb_fichiers;
    results.rawType = state.type_raw;
    results.folder = folder;
    results.filesLine = recorded.summary[0];
    results.typeLine = recorded.summary[1];
    results.folderLine = recorded.summary[2];

    results.categories << category(QString::fromUtf16(keyIso), isoTexts, recorded.label5,
                                   stats.compte_iso, recorded, Chart::Iso);
    results.categories << category(QString::fromUtf16(keyAperture), apertureTexts, recorded.label11,
                                   stats.compte_diaph, recorded, Chart::Aperture);
    results.categories << category(QString::fromUtf16(keyDrive), driveTexts, recorded.label9,
                                   stats.compte_drive, recorded, Chart::Drive);
    results.categories << category(QString::fromUtf16(keyAutofocus), autofocusTexts,
                                   recorded.label7, stats.compte_af, recorded, Chart::Autofocus);

    // The lens chart has a single row and one column per slot; the window names the
    // columns after the lens list, and no label shows the counts.
    ReportCategory lenses{QString::fromUtf16(keyLens), {}};
    const int slots = std::min(state.nb_objectifs, Module1::lens_slots);
    for (int slot = 1; slot <= slots; ++slot) {
        ReportClass lens;
        lens.name = state.objectifs[std::size_t(slot - 1)];
        lens.caption = lens.name + QStringLiteral(" :");
        lens.photos = stats.compte_objectifs[std::size_t(slot - 1)];
        lens.percent = recorded.cell(Chart::Lens, 1, slot);
        // The window has no result label for a lens: its text is worded like the others.
        lens.result = resultCaption(lens.photos, lens.percent);
        lenses.classes << lens;
    }
    results.categories << lenses;
    return results;
}

} // namespace kadrilo::report
