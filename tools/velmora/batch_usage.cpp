// Help texts of the subcommands over the reading application's core. The
// settings defaults are taken from the settings object, never restated.
#include <string>

#include "reader/core/app_settings.h"
#include "tools/velmora/batch_options.h"

namespace velmora::cli {
namespace {

const char* const kReadExit =
    "\n"
    "Exit status: 0 success, 1 some sheets failed to read, 2 bad usage or a file\n"
    "that could not be read or written, 3 internal error.\n";
const char* const kFileExit =
    "\n"
    "Exit status: 0 success, 2 bad usage or a file that could not be read or\n"
    "written, 3 internal error.\n";

std::string onOff(bool on) {
    return on ? "on" : "off";
}

}  // namespace

std::string settingsUsage() {
    const tarrow::AppSettings d;
    return "settings (defaults as in the reading application):\n"
           "      --ten, --no-ten      store a read 10 as 0 (default " +
           onOff(d.tenToZero) +
           ")\n"
           "      --transpose          write the read-values and score files transposed\n"
           "                           (default " +
           onOff(d.transpose) +
           ")\n"
           "      --multi-marked       flag single-answer questions with several marks\n"
           "                           (default " +
           onOff(d.multiMarked) +
           ")\n"
           "      --nomark X           no-mark density threshold (default " +
           d.noMarkValue.toStdString() +
           ")\n"
           "      --faint X            faint-mark density threshold (default " +
           d.markValue.toStdString() +
           ")\n"
           "      --multi-value N      dots of a marked choice, several-answer questions\n"
           "                           (default " +
           d.multiValue.toStdString() +
           ")\n"
           "      --multi-range N      half-width of the attention band, dots (default " +
           d.multiRange.toStdString() +
           ")\n"
           "      --dots N             no-mark minimum filled area, percent 0 to 100 (default " +
           d.noMarkedPercent.toStdString() +
           ")\n"
           "      --multiply X         several-marks threshold, 0 to 1000 (default " +
           d.multiMarkedThreshold.toStdString() +
           ")\n"
           "      --scale N            image-area crop scale, percent 1 to 100 (default " +
           d.imageScale.toStdString() +
           ")\n"
           "      --sharpen N          image-area crop sharpening, 0 to 100 (default " +
           d.sharpenRate.toStdString() + ")\n";
}

std::string batchReadUsage() {
    return "usage: velmora read -d DEFINITION.ini -o OUT.csv [--key READVALUES.csv]\n"
           "                    [--crops DIR] [-j N] [-v] [settings] IMAGE|FOLDER...\n"
           "\n"
           "Runs the batch reading run over the images (a folder stands for the files\n"
           "directly inside it, sorted by name) with the engine component, then saves\n"
           "what the result window's save button saves: OUT-読取値.csv beside OUT.csv,\n"
           "and OUT-採点値.csv when a question is scored. Read errors are skipped (the\n"
           "sheet becomes an error row); warnings go to stderr.\n"
           "\n"
           "  -d, --definition FILE  sheet definition file (required)\n"
           "  -o, --output FILE      names the output files (required); existing files\n"
           "                         are replaced\n"
           "      --key FILE         take the header, answer-key and points rows from\n"
           "                         this read-values file\n"
           "      --crops DIR        write image-area crops and the index pages to DIR\n"
           "  -j, --jobs N           read ahead with N private engine cores in parallel,\n"
           "                         1 to 256 (default 1: the component alone); the run\n"
           "                         then replays their answers, so the files are the same\n"
           "                         as with one (should they differ, it reads again on one);\n"
           "                         more than twice the processors are capped, and a sheet\n"
           "                         that cannot be loaded beside the others is read alone\n"
           "  -v, --verbose          print the status lines on stderr\n"
           "\n" +
           settingsUsage() + kReadExit;
}

std::string scoreUsage() {
    return "usage: velmora score READVALUES.csv -o OUT.csv [settings]\n"
           "\n"
           "Loads a read-values file as the reading application opens one and saves it\n"
           "again as OUT-読取値.csv, with OUT-採点値.csv when a question is scored.\n"
           "\n"
           "  -o, --output FILE      names the output files (required)\n"
           "\n" +
           settingsUsage() + kFileExit;
}

std::string countUsage() {
    return "usage: velmora count READVALUES.csv -o OUT.csv [--max-choices M] [settings]\n"
           "\n"
           "Writes the answers-by-choice file OUT-回答別.csv of a read-values file.\n"
           "\n"
           "  -o, --output FILE      names the output file (required)\n"
           "      --max-choices M    choices counted per question, 1 to 1000 (default " +
           std::to_string(kDefaultMaxChoices) +
           ")\n"
           "\n" +
           settingsUsage() + kFileExit;
}

std::string renameUsage() {
    return "usage: velmora rename READVALUES.csv --images FOLDER --to FOLDER --pattern P\n"
           "                      [--prefix A] [--postfix B] [--log-dir DIR] [--overwrite]\n"
           "                      [settings]\n"
           "\n"
           "Copies every sheet's image from the images folder into the target folder\n"
           "under a name built from its read values, and logs each copy in log.txt.\n"
           "A name that already exists there (from an earlier run, or two sheets giving\n"
           "the same name) stops the run with status 2 unless --overwrite is given.\n"
           "Sheet names that are not plain file names are refused.\n"
           "\n"
           "      --images FOLDER    folder of the scanned images (required)\n"
           "      --to FOLDER        folder the copies go to (required)\n"
           "      --pattern P        column numbers separated by commas (0 = the image\n"
           "                         name); any other token is copied as it is (required)\n"
           "      --prefix A         text before the name\n"
           "      --postfix B        text after the name (before \".jpg\")\n"
           "      --log-dir DIR      folder of log.txt (default: the documents folder's\n"
           "                         \"velmora\" subfolder)\n"
           "      --overwrite        replace existing files in the target folder\n"
           "\n" +
           settingsUsage() + kFileExit;
}

}  // namespace velmora::cli
