#include <QApplication>

#include "tests/editor/Suites.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int failed = 0;
    for (auto run : {RunPickerTests, RunOpeningTests, RunCostTests, RunPhotoTests,
                     RunPhotoReorderTests, RunPhonePhotoTests, RunPreviewDecodingTests,
                     RunValidationTests, RunSearchTests, RunDescriptionLimitTests})
        failed += run(argc, argv);
    return failed;
}
