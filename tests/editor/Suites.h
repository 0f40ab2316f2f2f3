#pragma once

// Each suite of the editor's test executable, run one after the other by main.
int RunPickerTests(int argc, char** argv);
int RunOpeningTests(int argc, char** argv);
int RunCostTests(int argc, char** argv);
int RunPhotoTests(int argc, char** argv);
int RunPhotoReorderTests(int argc, char** argv);
int RunPhonePhotoTests(int argc, char** argv);
int RunPreviewDecodingTests(int argc, char** argv);
int RunValidationTests(int argc, char** argv);
int RunSearchTests(int argc, char** argv);
int RunDescriptionLimitTests(int argc, char** argv);
