#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "nc/CornerMode.h"
#include "nc/PassOptions.h"

// The command line of kalmoro-gen: what it asks for, read without running anything.
namespace kalmoro {

inline constexpr const char* kUsage =
    "Использование:\n"
    "  kalmoro-gen circle [--diameter D] [МАТРИЦА] [ПРОХОДЫ]\n"
    "  kalmoro-gen rect   [--width W] [--height H] [--radius R] [МАТРИЦА] [ПРОХОДЫ]\n"
    "  kalmoro-gen cone   [--height H] [--lower DD] [--upper DU] [--angle A] [ПРОХОДЫ]\n"
    "  kalmoro-gen rect-taper --width W --height H --radius R --thickness T\n"
    "                     (--angle A | --top-width W2) [--corners cylindrical|conical] [ПРОХОДЫ]\n"
    "                     прямоугольное отверстие с уклоном: низ W×H с радиусом углов R, плита T,\n"
    "                     полный угол A (положительный, если отверстие сужается кверху) или ширина\n"
    "                     верха W2; углы цилиндрические (радиус R сверху донизу, по умолчанию) или\n"
    "                     конические (радиус меняется с уклоном)\n"
    "  kalmoro-gen materials   таблица зазоров между пуансоном и матрицей (на сторону) с источником\n"
    "  kalmoro-gen check  [--machine ПРОФИЛЬ] ФАЙЛ...\n"
    "                     проверить программы (\"-\" читает стандартный ввод) для станка из\n"
    "                     ПРОФИЛЯ (machine.ini; без него станок по умолчанию); для программ\n"
    "                     с проходами (с ПРОФИЛЕМ — для всех) регистры D и время проходов;\n"
    "                     стартовое отверстие каждого отверстия и наибольшее сверло для него\n"
    "  kalmoro-gen job    [--machine ПРОФИЛЬ] [--rough-first] ФАЙЛ [-o ИМЯ]\n"
    "                     одна программа для нескольких отверстий: в ФАЙЛЕ (\"-\" читает\n"
    "                     стандартный ввод) по отверстию в строке, как в командах выше, и после\n"
    "                     \"@\" координаты центра X Y в мм (\"circle --diameter 10 @ 20 0\"); строки\n"
    "                     с \"#\" в начале пропускаются; проволока обрезается и заправляется между\n"
    "                     отверстиями кодами из ПРОФИЛЯ (без него M00); --rough-first: сначала\n"
    "                     черновые проходы всех отверстий, затем чистовые каждого по очереди\n"
    "  kalmoro-gen export --dxf ФАЙЛ -o ВЫХОД.dxf   контуры программы в чертёж DXF\n"
    "Матрица по пуансону и освобождение (circle, rect и строки задания):\n"
    "  --punch РАЗМЕР   диаметр пуансона (circle) или ШxВ (rect, --radius — радиус углов\n"
    "              пуансона); размер матрицы вычисляется, --diameter или --width/--height не\n"
    "              указываются; расчёт выводится на стандартный вывод ошибок\n"
    "  --clearance ММ   зазор на сторону, или --sheet ТОЛЩИНА --material МАТЕРИАЛ по таблице\n"
    "              (kalmoro-gen materials)\n"
    "  --land L --relief A --thickness T   поясок L мм под режущей кромкой, ниже него\n"
    "              освобождение A° на сторону в плите T мм: после вертикальных проходов\n"
    "              проход освобождения с корректором последнего прохода\n"
    "Проходы (circle, rect, cone, rect-taper и строки задания):\n"
    "  --skims N   чистовых проходов после чернового, 0-4 (по умолчанию 0)\n"
    "  --stop ММ   черновой проход останавливается за ММ мм до замыкания контура, чтобы\n"
    "              закрепить вырубку (код hold_slug из ПРОФИЛЯ, без него M00); 0 — без остановки\n"
    "  --direction alternate|same   чистовые проходы попеременно по часовой стрелке и против\n"
    "              (по умолчанию) или все против часовой, как черновой\n"
    "  --machine ПРОФИЛЬ   (circle, rect, cone, rect-taper) профиль станка: код остановки,\n"
    "              наибольший угол наклона проволоки для освобождения\n"
    "Общие параметры:\n"
    "  -o ИМЯ      записать программу в файл ИМЯ (\".iso\" добавляется, если его нет)\n"
    "  -h, --help  эта справка\n"
    "Размеры в мм, углы в градусах (полный угол конуса и уклона, освобождение — на сторону);\n"
    "дробная часть через \".\" или \",\".\n"
    "Без -o программа выводится на стандартный вывод.\n";

// "-h" or "--help" anywhere: print kUsage.
struct HelpCommand {};

// "check [--machine PROFILE] FILE…": every argument after "check" and its option is a file to check,
// whatever it looks like (none is allowed here: RunCheck says what is missing).
struct CheckCommand {
  std::vector<std::string> files;
  std::optional<std::string> machine;  // the machine profile file, "--machine FILE" or "--machine=FILE"
};

// "job [--machine PROFILE] [--rough-first] FILE [-o NAME]": one program for the holes the file lists, one
// a line.
struct JobCommand {
  std::string file;                    // "-" for standard input
  std::optional<std::string> machine;  // the machine profile file, "--machine FILE" or "--machine=FILE"
  std::optional<std::string> output;
  bool roughFirst = false;  // every hole roughed first, then the skims of each in turn
};

// "materials": the clearance table.
struct MaterialsCommand {};

// "circle", "rect", "cone" or "rect-taper" with its options.
struct GenerateCommand {
  std::string hole;
  // Every option of the hole ("--diameter", …) with the field text it stands for: the value given,
  // made a field's text ("," read as "."), or else the field's initial text. The die's and the relief's
  // numbers ("--clearance", "--sheet", "--land", "--relief", "--thickness") are here too, when given.
  std::map<std::string, std::string> texts;
  std::set<std::string> given;  // the options given on the command line
  // "--skims N" (0-4), "--stop MM" (0: none), "--direction alternate|same". The stop's range against the
  // contour is the generator's to refuse.
  PassOptions passes;
  CornerMode corners = CornerMode::Cylindrical;  // "--corners cylindrical|conical" of a tapered rectangle
  // "--punch SIZE": the punch's diameter, or its width and height ("20x10"), as field texts; empty
  // without it. Then the opening is worked out with "--clearance" or "--sheet" and "--material".
  std::vector<std::string> punch;
  std::string material;
  std::optional<std::string> machine;  // "--machine FILE": the profile whose hold_slug code holds the slug
  std::optional<std::string> output;

  std::string Text(const std::string& option) const;
  bool Given(const std::string& option) const { return given.count(option) > 0; }
};

// A command line that asks for nothing the tool does; the message says why (in Russian, unescaped).
struct UsageError {
  std::string message;
};

using Command =
    std::variant<HelpCommand, CheckCommand, JobCommand, GenerateCommand, MaterialsCommand, UsageError>;

// The arguments after the program's name.
Command ParseArgs(const std::vector<std::string_view>& args);

// A hole's command and options, "circle --diameter 10 --skims 2" (what ParseArgs reads for a generate
// command, "-h" not looked for): a GenerateCommand or a UsageError. Options that go together are held
// together here: a tapered rectangle's angle or top width (one of them), the punch and its clearance
// (typed, or the sheet and the material) without the opening's own size, the relief's three values.
Command ParseHoleArgs(const std::vector<std::string_view>& args);

// The names of the holes' commands: "circle", "rect", "cone", "rect-taper".
bool IsHoleCommand(std::string_view name);

// A value as a field would hold it: digits with at most one "." or "," (read as the point), and when
// signAllowed one leading "-" or "+". Returns the field text ("," made "."), or nothing when the value
// is not such a number.
std::optional<std::string> ValueFieldText(std::string_view value, bool signAllowed);

}  // namespace kalmoro
