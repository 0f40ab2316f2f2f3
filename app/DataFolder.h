#pragma once

#include <QString>

// The folder of the table files, Options.csv and Categories.csv: OFFREL_DATA_DIR when it is set,
// otherwise the executable's folder, or the user's data folder when the executable's folder
// cannot be written (an installed program). Created when it does not exist.
QString DataFolder();
