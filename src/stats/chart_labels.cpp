#include "stats/chart_labels.h"

namespace kadrilo::chart_labels {

namespace {

QString entry(const QStringList &list, int number) {
    return number >= 1 && number <= list.size() ? list.at(number - 1) : QString();
}

} // namespace

QStringList rowLabels(Chart chart) {
    switch (chart) {
    case Chart::Iso:
        return {QStringLiteral("100 (50 à 125)"),     QStringLiteral("200 (160 à 250)"),
                QStringLiteral("400 (320 à 500)"),    QStringLiteral("800 (640 à 1000)"),
                QStringLiteral("1600 (1250 à 2000)"), QStringLiteral("3200 (2500 à 4000)"),
                QStringLiteral("6400 (5000 à 6400)"), QStringLiteral("H (au dela de 6400)")};
    case Chart::Aperture:
        // Row 8 has never had the slash of the others; row 24 also counts f/18 and f/20.
        return {QStringLiteral("F/1.2"), QStringLiteral("F/1.4"), QStringLiteral("F/1.6"),
                QStringLiteral("F/1.8"), QStringLiteral("F/2"),   QStringLiteral("F/2.2"),
                QStringLiteral("F/2.5"), QStringLiteral("F2.8"),  QStringLiteral("F/3.2"),
                QStringLiteral("F/3.5"), QStringLiteral("F/4"),   QStringLiteral("F/4.5"),
                QStringLiteral("F/5"),   QStringLiteral("F/5.6"), QStringLiteral("F/6.3"),
                QStringLiteral("F/7.1"), QStringLiteral("F/8"),   QStringLiteral("F/9"),
                QStringLiteral("F/10"),  QStringLiteral("F/11"),  QStringLiteral("F/13"),
                QStringLiteral("F/14"),  QStringLiteral("F/16"),  QStringLiteral("F/22")};
    case Chart::Drive:
        return {QStringLiteral("Mode vue par vue"), QStringLiteral("Mode rafale")};
    case Chart::Autofocus:
        return {QStringLiteral("One-Shot"), QStringLiteral("AI Servo"),
                QStringLiteral("MAP Manuelle"), QStringLiteral("AI Focus")};
    case Chart::Lens:
        return {QStringLiteral("")};
    }
    return {};
}

QString title(Chart chart) {
    switch (chart) {
    case Chart::Iso:
        return QStringLiteral("Répartition des photos selon l'usage de la sensibilité ISO ");
    case Chart::Aperture:
        return QStringLiteral("Répartition des photos selon le Diaphragme utilisé ");
    case Chart::Drive:
        return QStringLiteral("Motorisation");
    case Chart::Autofocus:
        return QStringLiteral("Mode AF");
    case Chart::Lens:
        return QStringLiteral("Objectifs utilisés");
    }
    return {};
}

QString lensColumnLabel(const QString &lens) {
    return lens + QLatin1Char(' ');
}

QString isoBandCaption(int band) {
    if (band < 1 || band > 8)
        return {};
    // The last band holds everything above 6400 and carries no value of its own.
    if (band == 8)
        return QStringLiteral("H ");
    return QString::number(100 << (band - 1)) + QStringLiteral(" :");
}

QString apertureCaption(int bucket) {
    static const QStringList captions = {
        QStringLiteral("F/1.2  :"), QStringLiteral("F/1.4  :"),  QStringLiteral("F/1.6  :"),
        QStringLiteral("F/1.8  :"), QStringLiteral("F/2    :"),  QStringLiteral("F/2.2 :"),
        QStringLiteral("F/2.5 :"),  QStringLiteral("F/2.8 :"),   QStringLiteral("F/3.2  :"),
        QStringLiteral("F/3.5  :"), QStringLiteral("F/4     :"), QStringLiteral("F/4.5  :"),
        QStringLiteral("F/5    :"), QStringLiteral("F/5.6 :"),   QStringLiteral("F/6.3 :"),
        QStringLiteral("F/7.1 :"),  QStringLiteral("F/8    :"),  QStringLiteral("F/9    :"),
        QStringLiteral("F/10  :"),  QStringLiteral("F/11   :"),  QStringLiteral("F/13  :"),
        QStringLiteral("F/14  :"),  QStringLiteral("F/16  :"),   QStringLiteral("F/22  :")};
    return entry(captions, bucket);
}

QString autofocusCaption(int mode) {
    static const QStringList captions = {
        QStringLiteral("AF One-shot    :"), QStringLiteral("AF Ai Servo     :"),
        QStringLiteral("MAP Manuelle :"), QStringLiteral("AF Ai Focus    :")};
    return entry(captions, mode);
}

QString driveCaption(int mode) {
    static const QStringList captions = {QStringLiteral("Mode vue par vue :"),
                                         QStringLiteral("Mode rafale          :")};
    return entry(captions, mode);
}

QString selfTimerNote() {
    return QStringLiteral("Nota : Le resultat peut ne pas être égal à 100% car les prises de "
                          "vue avec le retardateur ne sont pas prises en compte.");
}

QString notAvailableNotice() {
    return QStringLiteral("Non fonctionnel pour le moment !");
}

} // namespace kadrilo::chart_labels
