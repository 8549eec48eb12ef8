#include "report/report_options.h"

#include "analysis/wording.h"

#include <QRegularExpression>

namespace kadrilo::report {

namespace {

bool formatFromName(const QString &name, ReportFormat &format) {
    if (name == QLatin1String("texte"))
        format = ReportFormat::Texte;
    else if (name == QLatin1String("csv"))
        format = ReportFormat::Csv;
    else if (name == QLatin1String("json"))
        format = ReportFormat::Json;
    else if (name == QLatin1String("html"))
        format = ReportFormat::Html;
    else
        return false;
    return true;
}

bool groupByFromName(const QString &name, GroupBy &groupBy) {
    if (name == QLatin1String("boitier"))
        groupBy = GroupBy::Body;
    else if (name == QLatin1String("objectif"))
        groupBy = GroupBy::Lens;
    else if (name == QLatin1String("annee"))
        groupBy = GroupBy::Year;
    else
        return false;
    return true;
}

// A whole number of processes from 1 to maxProcesses, written in plain digits.
bool processesFromText(const QString &text, int &processes) {
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || number < 1 || number > maxProcesses || text.front() == QLatin1Char('+'))
        return false;
    processes = number;
    return true;
}

ParsedArguments failure(const QString &error) {
    ParsedArguments parsed;
    parsed.action = ParsedArguments::Action::Error;
    parsed.error = error;
    return parsed;
}

// A day written AAAA-MM-JJ, digits only; a null date when the text is malformed or names a
// day that does not exist (2023-02-29), `malformed` telling the two apart.
QDate dayFromText(const QString &text, bool &malformed) {
    static const QRegularExpression shape(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
    malformed = !shape.match(text).hasMatch();
    if (malformed)
        return {};
    return QDate(text.left(4).toInt(), text.mid(5, 2).toInt(), text.mid(8, 2).toInt());
}

// What an option that takes a value says when none follows it.
QString missingValueError(const QString &name) {
    if (name == QLatin1String("--format"))
        return QStringLiteral("l'option --format attend une valeur : texte, csv, json ou html.");
    if (name == QLatin1String("--processus"))
        return QStringLiteral("l'option --processus attend un nombre.");
    if (name == QLatin1String("--par"))
        return QStringLiteral("l'option --par attend une valeur : boitier, objectif ou annee.");
    if (name == QLatin1String("--objectif") || name == QLatin1String("--boitier"))
        return QStringLiteral("l'option %1 attend un texte.").arg(name);
    return QStringLiteral("l'option %1 attend une date AAAA-MM-JJ.").arg(name);
}

// Sets in `options` what the option `name` asks with `value`; the French error when the value
// is refused, else an empty text.
QString applyValue(const QString &name, const QString &value, ReportOptions &options) {
    if (name == QLatin1String("--format")) {
        if (!formatFromName(value, options.format))
            return QStringLiteral("format inconnu : %1 (texte, csv, json ou html).")
                .arg(wording::quoted(value));
    } else if (name == QLatin1String("--par")) {
        if (!groupByFromName(value, options.groupBy))
            return QStringLiteral("regroupement inconnu pour --par : %1 (boitier, objectif ou "
                                  "annee).")
                .arg(wording::quoted(value));
    } else if (name == QLatin1String("--processus")) {
        if (!processesFromText(value, options.processes))
            return QStringLiteral("nombre de processus invalide : %1 (de 1 à %2).")
                .arg(wording::quoted(value), QString::number(maxProcesses));
    } else if (name == QLatin1String("--objectif") || name == QLatin1String("--boitier")) {
        if (value.isEmpty())
            return QStringLiteral("le texte de l'option %1 est vide.").arg(name);
        (name == QLatin1String("--objectif") ? options.lens : options.model) = value;
    } else {
        bool malformed = false;
        const QDate day = dayFromText(value, malformed);
        if (malformed)
            return QStringLiteral("date mal écrite pour %1 : %2 (attendu : AAAA-MM-JJ, par "
                                  "exemple 2023-07-14).")
                .arg(name, wording::quoted(value));
        if (!day.isValid())
            return QStringLiteral("date inexistante pour %1 : %2.")
                .arg(name, wording::quoted(value));
        (name == QLatin1String("--depuis") ? options.since : options.until) = day;
    }
    return {};
}

// The arguments read as parseReportArguments() says; `folderPosition` receives the folder's
// place among them.
ParsedArguments parseArguments(const QStringList &arguments, int &folderPosition) {
    ParsedArguments parsed;
    ReportOptions &options = parsed.options;
    QStringList folders;
    QStringList given; // options met so far: each may be given once
    bool optionsEnded = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (optionsEnded || !argument.startsWith(QLatin1Char('-')) ||
            argument == QLatin1String("-")) {
            folders << argument;
            folderPosition = i;
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            parsed.action = ParsedArguments::Action::Help;
            return parsed;
        }

        // "--name VALUE" or "--name=VALUE"; `name` is the option without its value.
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? argument : argument.left(equals);
        static const QStringList flags{QStringLiteral("--recursif"),
                                       QStringLiteral("--sans-cache")};
        static const QStringList withValue{
            QStringLiteral("--format"),   QStringLiteral("--processus"),
            QStringLiteral("--objectif"), QStringLiteral("--boitier"),
            QStringLiteral("--depuis"),   QStringLiteral("--jusqu-au"),
            QStringLiteral("--par")};
        const bool isFlag = equals < 0 && flags.contains(name);
        if (!isFlag && !withValue.contains(name))
            return failure(QStringLiteral("option inconnue : %1.").arg(wording::quoted(argument)));
        if (given.contains(name))
            return failure(QStringLiteral("l'option %1 est donnée deux fois.").arg(name));
        given << name;
        if (name == QLatin1String("--recursif")) {
            options.recursive = true;
        } else if (name == QLatin1String("--sans-cache")) {
            options.useCache = false;
        } else if (equals < 0 && i + 1 >= arguments.size()) {
            return failure(missingValueError(name));
        } else if (const QString error = applyValue(
                       name, equals >= 0 ? argument.mid(equals + 1) : arguments.at(++i), options);
                   !error.isEmpty()) {
            return failure(error);
        }
    }

    if (options.since.isValid() && options.until.isValid() && options.since > options.until)
        return failure(
            QStringLiteral("la date de --depuis (%1) est après celle de --jusqu-au "
                           "(%2) : aucune image ne peut tomber entre les deux.")
                .arg(options.since.toString(Qt::ISODate), options.until.toString(Qt::ISODate)));
    // The page shows the whole library; its charts have no columns to set groups side by side.
    if (options.groupBy != GroupBy::None && options.format == ReportFormat::Html)
        return failure(QStringLiteral("--par ne s'applique pas au format html : la page montre "
                                      "toute la bibliothèque ; choisissez texte, csv ou json."));
    if (folders.isEmpty() || (folders.size() == 1 && folders.first().isEmpty()))
        return failure(QStringLiteral("le dossier à analyser manque."));
    if (folders.size() > 1)
        return failure(
            QStringLiteral("un seul dossier est attendu, %1 sont donnés.").arg(folders.size()));

    parsed.action = ParsedArguments::Action::Run;
    options.folder = folders.first();
    return parsed;
}

} // namespace

ParsedArguments parseReportArguments(const QStringList &arguments) {
    int folderPosition = -1;
    return parseArguments(arguments, folderPosition);
}

// The hand parser stays rather than QCommandLineParser: that one takes an option given twice
// as two values, words its errors in English (or in Qt's translations, when installed), and
// takes "-abc" for three short options.
ParsedArguments parseReportRequest(const QList<QByteArray> &arguments) {
    QStringList decoded;
    decoded.reserve(arguments.size());
    for (const QByteArray &argument : arguments)
        decoded << QString::fromLocal8Bit(argument);
    int folderPosition = -1;
    ParsedArguments parsed = parseArguments(decoded, folderPosition);
    if (parsed.action == ParsedArguments::Action::Run)
        parsed.options.folderArgument = arguments.at(folderPosition);
    return parsed;
}

namespace {

// The usage text, with %1 where it says where exiftool.exe must stand.
QString usageTemplate() {
    return QStringLiteral(
        "Utilisation : kadrilo-rapport [OPTION]... DOSSIER\n"
        "\n"
        "Affiche sans fenêtre les statistiques de prise de vue des fichiers RAW Canon\n"
        "(CR2, CRW et CR3) de DOSSIER, comptées comme dans la fenêtre des statistiques de\n"
        "Kadrilo, qui elle ne lit que les CR2 et les CRW.\n"
        "\n"
        "  --recursif              inclure les sous-dossiers\n"
        "  --format FORMAT         texte (par défaut), csv, json ou html (une page à ouvrir\n"
        "                          dans un navigateur : kadrilo-rapport --format html\n"
        "                          DOSSIER > statistiques.html)\n"
        "  --processus N           répartir les images entre N processus ExifTool (de 1 à 64 ;\n"
        "                          par défaut, un par cœur du processeur)\n"
        "  --sans-cache            lire chaque image avec ExifTool, sans lire ni écrire le\n"
        "                          cache\n"
        "  --par GROUPE            statistiques côte à côte par boitier, objectif ou annee\n"
        "                          (12 colonnes au plus ; les groupes au-delà du 11e sont\n"
        "                          réunis dans « autres », une image sans la valeur va dans\n"
        "                          « inconnu » ; texte, csv et json seulement)\n"
        "  --help                  afficher cette aide\n"
        "\n"
        "Filtres (une image doit les passer tous) :\n"
        "  --objectif TEXTE        objectif (LensID) contenant TEXTE, majuscules ou non\n"
        "  --boitier TEXTE         boîtier (Model) contenant TEXTE, majuscules ou non\n"
        "  --depuis AAAA-MM-JJ     prise de vue (DateTimeOriginal) ce jour-là ou après\n"
        "  --jusqu-au AAAA-MM-JJ   prise de vue ce jour-là ou avant\n"
        "Avec un filtre de date, une image sans date de prise de vue est écartée.\n"
        "Chaque option se donne une fois au plus, aussi sous la forme --option=valeur.\n"
        "\n"
        "La catégorie vitesse_de_securite range chaque image qui a un temps de pose et une\n"
        "focale en équivalent 35 mm selon son écart à 1/focale, en IL (tolérance de 1/100\n"
        "d'IL) : « à 1/focale ou plus rapide », « 1 IL plus lent », « 2 IL plus lent »,\n"
        "« 3 IL plus lent », « plus de 3 IL plus lent » ; vitesse_de_securite_par_objectif\n"
        "la donne par objectif.\n"
        "\n"
        "Exemples :\n"
        "  kadrilo-rapport --recursif ~/Photos\n"
        "      [Vitesse de sécurité] : 1/50 s à 50 mm est à la limite ; 1/25 s à 50 mm et\n"
        "      1/40 s à 28 mm sur un APS-C (×1,6) comptent « 1 IL plus lent »\n"
        "  kadrilo-rapport --recursif --par annee ~/Photos\n"
        "      chaque catégorie avec une colonne par année :\n"
        "      50 mm : 3 photos (75%) | 0 photos (0%)\n"
        "\n"
        "%1.\n"
        "Ce qu'ExifTool a lu de chaque image est gardé dans un cache\n"
        "($XDG_CACHE_HOME/kadrilo/balises.sqlite, ou ~/.cache/kadrilo/balises.sqlite) :\n"
        "une image inchangée n'est pas relue. Le supprimer ne change aucun résultat.\n"
        "\n"
        "Codes de sortie :\n"
        "    0  statistiques écrites sur la sortie standard\n"
        "    2  mauvaise utilisation (option ou format inconnu, option donnée deux fois,\n"
        "       valeur invalide, dossier manquant ou en trop)\n"
        "    3  dossier introuvable ou illisible\n"
        "    4  exiftool.exe introuvable dans le dossier du programme, ou impossible à lancer\n"
        "    5  aucune image comptée : aucune image RAW Canon dans DOSSIER, aucune lisible,\n"
        "       ou aucune ne répond aux filtres\n"
        "    6  dossier privé impossible à créer, ou lien, ou à un autre utilisateur\n"
        "    7  ExifTool s'est arrêté avant la fin (tué, planté ou en erreur)\n"
        "    8  fichiers de tags impossibles à écrire (disque plein)\n"
        "    9  des images n'ont pas pu être lues ; les statistiques des autres sont écrites\n"
        "   10  écriture impossible sur la sortie standard\n"
        "  130  interrompu (Ctrl+C, signal) ; le dossier privé est supprimé\n"
        "En cas d'erreur, le message va sur la sortie d'erreur et la sortie standard reste "
        "vide, sauf pour le code 9.\n");
}

} // namespace

QString usageText() {
    return usageTemplate().arg(wording::exiftoolPlaceRule(reportProgramName()));
}

} // namespace kadrilo::report
