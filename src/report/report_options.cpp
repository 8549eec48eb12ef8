#include "report/report_options.h"

namespace kadrilo::report {

namespace {

bool formatFromName(const QString &name, ReportFormat &format) {
    if (name == QLatin1String("texte"))
        format = ReportFormat::Texte;
    else if (name == QLatin1String("csv"))
        format = ReportFormat::Csv;
    else if (name == QLatin1String("json"))
        format = ReportFormat::Json;
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

} // namespace

ParsedArguments parseReportArguments(const QStringList &arguments) {
    const QString formatOption = QStringLiteral("--format");
    const QString formatPrefix = QStringLiteral("--format=");
    const QString processesOption = QStringLiteral("--processus");
    const QString processesPrefix = QStringLiteral("--processus=");

    ParsedArguments parsed;
    QStringList folders;
    bool optionsEnded = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (optionsEnded || !argument.startsWith(QLatin1Char('-')) ||
            argument == QLatin1String("-")) {
            folders << argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            parsed.action = ParsedArguments::Action::Help;
            return parsed;
        } else if (argument == QLatin1String("--recursif")) {
            parsed.options.recursive = true;
        } else if (argument == QLatin1String("--sans-cache")) {
            parsed.options.useCache = false;
        } else if (argument == formatOption || argument.startsWith(formatPrefix)) {
            QString name;
            if (argument == formatOption) {
                if (i + 1 >= arguments.size())
                    return failure(QStringLiteral(
                        "l'option --format attend une valeur : texte, csv ou json."));
                name = arguments.at(++i);
            } else {
                name = argument.mid(formatPrefix.size());
            }
            if (!formatFromName(name, parsed.options.format))
                return failure(
                    QStringLiteral("format inconnu : « %1 » (texte, csv ou json).").arg(name));
        } else if (argument == processesOption || argument.startsWith(processesPrefix)) {
            QString number;
            if (argument == processesOption) {
                if (i + 1 >= arguments.size())
                    return failure(QStringLiteral("l'option --processus attend un nombre."));
                number = arguments.at(++i);
            } else {
                number = argument.mid(processesPrefix.size());
            }
            if (!processesFromText(number, parsed.options.processes))
                return failure(QStringLiteral("nombre de processus invalide : « %1 » (de 1 à %2).")
                                   .arg(number)
                                   .arg(maxProcesses));
        } else {
            return failure(QStringLiteral("option inconnue : « %1 ».").arg(argument));
        }
    }

    if (folders.isEmpty() || (folders.size() == 1 && folders.first().isEmpty()))
        return failure(QStringLiteral("le dossier à analyser manque."));
    if (folders.size() > 1)
        return failure(
            QStringLiteral("un seul dossier est attendu, %1 sont donnés.").arg(folders.size()));

    parsed.action = ParsedArguments::Action::Run;
    parsed.options.folder = folders.first();
    return parsed;
}

QString usageText() {
    return QStringLiteral(
        "Utilisation : kadrilo-rapport [--recursif] [--format texte|csv|json] [--processus N] "
        "DOSSIER\n"
        "\n"
        "Affiche sans fenêtre les statistiques de prise de vue des fichiers RAW Canon\n"
        "(CR2, CRW) de DOSSIER, comme la fenêtre des statistiques de Kadrilo.\n"
        "\n"
        "  --recursif       inclure les sous-dossiers\n"
        "  --format FORMAT  texte (par défaut), csv ou json\n"
        "  --processus N    répartir les images entre N processus ExifTool (de 1 à 64 ;\n"
        "                   par défaut, un par cœur du processeur)\n"
        "  --help           afficher cette aide\n"
        "\n"
        "Le fichier exiftool.exe doit se trouver dans le même dossier que kadrilo-rapport.\n"
        "\n"
        "Codes de sortie :\n"
        "    0  statistiques écrites sur la sortie standard\n"
        "    2  mauvaise utilisation (option ou format inconnu, dossier manquant ou en trop)\n"
        "    3  dossier introuvable ou illisible\n"
        "    4  exiftool.exe introuvable dans le dossier du programme, ou impossible à lancer\n"
        "    5  ExifTool n'a écrit aucun fichier de tags (aucune image RAW traitée)\n"
        "    6  dossier temporaire impossible à créer\n"
        "    7  ExifTool s'est arrêté avant la fin (tué, planté ou en erreur)\n"
        "    8  fichiers de tags impossibles à écrire (disque plein)\n"
        "    9  des images n'ont pas pu être lues ; les statistiques des autres sont écrites\n"
        "   10  écriture impossible sur la sortie standard\n"
        "  130  interrompu (Ctrl+C, signal) ; le dossier temporaire est supprimé\n"
        "En cas d'erreur, le message va sur la sortie d'erreur et la sortie standard reste "
        "vide, sauf pour le code 9.\n");
}

} // namespace kadrilo::report
