// Diagnostics of bscomp: the shared message catalogue, the line formats every stage prints
// with, and printMessage, through which every message goes.
//
// Messages that begin "ERROR- " or "WARNING- " (and the usage text) go to standard error;
// progress lines go to standard output.
#pragma once

#include <cstdio>

// Shared catalogue: messages used by more than one stage, or by none in particular.
inline constexpr char kOutOfMemory[] = "ERROR- Out of memory\n";
inline constexpr char kUnexpectedNull[] = "ERROR- Unexpected NULL.\n";
inline constexpr char kValueOutOfRange[] = "ERROR- Value out of range\n";
inline constexpr char kTooManySourceFiles[] = "ERROR- Too many source files.\n";
inline constexpr char kFeatureNotImplemented[] = "ERROR- Feature not implemented.\n";
inline constexpr char kUnknownFailure[] = "ERROR- I just don't know what went wrong!\n";
inline constexpr char kInvalidOperatingMode[] = "ERROR- Invalid operating mode : ";
inline constexpr char kInvalidCommandSyntax[] = "ERROR- Invalid command syntax in : ";
inline constexpr char kUnexpectedEndOfSource[] = "ERROR- Unexpected end of source data in : ";
inline constexpr char kCantOpenSourceFile[] = "ERROR- Can't open source file : ";
inline constexpr char kCantWriteDestination[] = "ERROR- Can't write to destination file : ";
inline constexpr char kGarbageAtEndOfLine[] = "ERROR- Garbage at end of line in : ";

// Value parsers.
inline constexpr char kInvalidBinaryValue[] = "ERROR- Invalid binary value : ";
inline constexpr char kUnableToParseNumeric[] = "ERROR- Unable to parse numeric : ";

// Safe writing: a finished output that could not be put in place.
inline constexpr char kCouldntWriteOutput[] = "ERROR- Couldn't write to output file : ";
// A source that opened but could not be read through (an I/O error mid-file).
inline constexpr char kCantReadSourceFile[] = "ERROR- Can't read source file : ";
// The output named on the command line is one of the sources: the package would replace it.
inline constexpr char kOutputIsSource[] = "ERROR- Destination file would overwrite a source file : ";

// Line formats. The message text always comes first.
inline constexpr char kFormatMessage[] = "%s";                       // message alone
inline constexpr char kFormatSubject[] = "%s%s\n";                   // message, subject
inline constexpr char kFormatFileLine[] = "%s%s,%u\n";               // message, file,line
inline constexpr char kFormatSubjectFileLine[] = "%s%s in : %s,%u\n";  // message, subject in : file,line
inline constexpr char kFormatTokenLabelFileLine[] = "%s%s of : %s in : %s,%u\n";  // token of : label in : file,line

// Writes one formatted message, exactly like fprintf, and returns the number of characters
// written (negative on an output error). `stream` is stdout or stderr; see setMessageStreams.
// Standard output is flushed before anything goes to standard error, so that a log holding both
// shows the messages in the order they were printed.
int printMessage(FILE* stream, const char* format, ...) __attribute__((format(printf, 2, 3)));

// True once a message beginning "ERROR- " has been printed in this process.
bool errorReported();
// Forgets earlier errors (for tests and for tools that run the compiler more than once).
void clearErrorReported();

// Sends what printMessage would write to stdout / stderr to other streams instead; nullptr
// restores the standard stream. Tests capture messages with it; the fuzzer silences them.
void setMessageStreams(FILE* standardOutput, FILE* standardError);
