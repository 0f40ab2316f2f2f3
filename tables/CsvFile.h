#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/Error.h"

namespace offrel {

// The semicolon record reader: reads a text file line by line and splits each line on ";".
// No quoting, no trimming, no decoding: each byte is one Windows-1252 character.
class TCSV_File {
public:
    TCSV_File();
    ~TCSV_File();
    TCSV_File(const TCSV_File&) = delete;
    TCSV_File& operator=(const TCSV_File&) = delete;

    // Note the sense: true when no file exists at the path (nothing is opened), false when the
    // file was opened. An existing file that cannot be opened throws the system's I/O error.
    bool OpenFile(const std::string& path);
    // True when no character is left or the next one is Ctrl+Z. On a reader whose OpenFile found
    // no file it throws I/O error 104.
    bool EndOfFile();
    int ReadLine();                         // the number of fields of the line read
    std::string GetField(int index) const;  // "" past the last field
    void CloseFile();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The French text of an I/O error code: 2 "Fichier introuvable", ..., otherwise "Erreur E/S %d".
std::string InOutErrorText(int code);

// The I/O error of a system error number: the four that mean what a code of the table means take
// its code and text (no such file, no access, too many open files, disk full); any other keeps
// its own number with the system's reason, "Erreur E/S %d (%s)".
InOutError SystemInOutError(int error);

// Opens an existing file for reading and holds it against writers, as the record reader does; a
// file that a writer holds is refused with "Accès au fichier refusé". Returns the descriptor.
int OpenSharedForReading(const std::string& path);

}  // namespace offrel
