// What the batch dialog's measuring run needs beyond the command line's
// options: where its sky images go when no folder is chosen, and the
// command line's messages in the window's words.
#pragma once

#include <QString>

namespace karwen::ui {

// Beside the CSV, named after it without its last suffix: "plot.csv" gives
// "plot-sky", "a.b.csv" "a.b-sky"; a name without a stem before its dot
// (".csv") or without a dot keeps it whole: ".csv-sky", "plot-sky".
[[nodiscard]] QString defaultSkyFolder(const QString& csvPath);

// A line of the command line without the program's name and the option it
// speaks of: the window has no options ("karwen-cli measure: --csv: \"x\"
// is not..." reads "\"x\" is not...").
[[nodiscard]] QString windowWords(const QString& line);

} // namespace karwen::ui
