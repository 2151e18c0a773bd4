// Uses the system module as a program outside the build would: a string through UTF-8 and back,
// and a diagnostic line caught by a handler of the program's own.
// Prints: system: Grüße, ☃ | mivra: cannot open the file: a.txt: no such file
#include <mivra/System.hpp>

#include <iostream>
#include <string>

int main()
{
    const std::string text = "Grüße, ☃";
    const mivra::String string = mivra::String::fromUtf8(text);
    std::string caught;
    const mivra::DiagnosticHandler previous =
        mivra::setDiagnosticHandler([&caught](std::string_view line) { caught = line; });
    mivra::reportDiagnostic("cannot open the file", "a.txt", "no such file");
    mivra::setDiagnosticHandler(previous);
    if (string.getSize() != 8 || string.toUtf8() != text ||
        caught != "mivra: cannot open the file: a.txt: no such file")
        return 1;
    std::cout << "system: " << string.toUtf8() << " | " << caught << '\n';
    return 0;
}
