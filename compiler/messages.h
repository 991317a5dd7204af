// Diagnostics of bscomp: the shared message catalogue, the line formats every stage prints
// with, and printMessage, through which every message goes.
//
// Messages that begin "ERROR- " or "WARNING- " (and the usage text) go to standard error;
// progress lines go to standard output.
#pragma once

#include <cstdio>

// The catalogue: every text bscomp prints, grouped by the stage that prints it. A stage prints
// a message only through one of these texts and one of the line formats below.

// Shared: messages used by more than one stage, or by none in particular.
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
inline constexpr char kInvalidCommand[] = "ERROR- Invalid command : ";

// Value parsers.
inline constexpr char kInvalidBinaryValue[] = "ERROR- Invalid binary value : ";
inline constexpr char kUnableToParseNumeric[] = "ERROR- Unable to parse numeric : ";

// Safe writing: a finished output that could not be put in place.
inline constexpr char kCouldntWriteOutput[] = "ERROR- Couldn't write to output file : ";
// A source that opened but could not be read through (an I/O error mid-file).
inline constexpr char kCantReadSourceFile[] = "ERROR- Can't read source file : ";
// The output named on the command line is one of the sources: the package would replace it.
inline constexpr char kOutputIsSource[] = "ERROR- Destination file would overwrite a source file : ";

// The command line: the usage text, and the first line of each mode, in the order of the
// Mode values (driver.h).
inline constexpr char kUsageText[] =
    "Usage :\n"
    "  bscomp (-smp/-sfx/-ins/-mus) [outfile] (source data)\n"
    " Where the specific syntax depends upon the operating mode, all of which are\n"
    " listed below...\n"
    "\n"
    "::Sample Pack Mode (-smp),\n"
    "  bscomp -smp output.smp samples.txt\n"
    " All samples in the sample descriptor file must be stored in 8-Bit Signed PCM\n"
    " with a frequency between 1.0Hz and 65535.99Hz\n"
    "\n"
    "::Sound Effect Mode (-sfx),\n"
    "  bscomp -sfx samples.txt sfx_scripts.txt\n"
    " Generated sound effect files (*.sfx) will be stored in the same directory as\n"
    " sfx_scripts.txt, with one sound effect file per ZOVA sound effect definition.\n"
    "\n"
    "::Instrument Pack Mode (-ins),\n"
    "  bscomp -ins output.ins samples.txt instruments.txt\n"
    "\n"
    "::Music Track Mode (-mus),\n"
    "  bscomp -mus output.mus instruments.txt channel_0.txt [channel_1.txt] [...]\n"
    " Music written with more channels than available on a particular target will\n"
    " have them dropped during playback rather than at compilation.\n"
    "\n";
inline constexpr const char* kModeBanners[4] = {"SMP Mode...\n", "SFX Mode...\n", "INS Mode...\n", "MUS Mode...\n"};

// Sample descriptor and sample pack ("-smp"; "-sfx" and "-ins" read the descriptor too).
inline constexpr char kParsingDescriptor[] = "Parsing sample descriptor file : ";
inline constexpr char kNoSamplesDefined[] = "WARNING- No samples defined, are you sure about this?\n";
inline constexpr char kSampleAlreadyDefined[] = "ERROR- Sample already defined with label : ";
inline constexpr char kNoSampleFrequency[] = "ERROR- No sample frequency for definition of : ";
inline constexpr char kUnableSampleFrequency[] = "ERROR- Unable to parse sample frequency : ";
inline constexpr char kSampleFrequencyRange[] = "ERROR- Sample frequency out of range (1.0 - 65535.99) : ";
inline constexpr char kNoContentFrequency[] = "ERROR- No content frequency for definition of : ";
inline constexpr char kUnableContentFrequency[] = "ERROR- Unable to parse content frequency : ";
inline constexpr char kContentFrequencyRange[] = "ERROR- Content frequency out of range (1.0 - 65535.99) : ";
inline constexpr char kUnableStartOffset[] = "ERROR- Unable to parse start offset : ";
inline constexpr char kStartOffsetRange[] = "ERROR- Start offset out of range (0 - 65535) : ";
inline constexpr char kUnableEndOffset[] = "ERROR- Unable to parse end offset : ";
inline constexpr char kEndOffsetRange[] = "ERROR- End offset out of range (0 - 65535) : ";
inline constexpr char kOffsetsReversed[] = "ERROR- Sample start and end offsets reversed in : ";
inline constexpr char kOffsetsEqual[] = "ERROR- Sample start and end offsets equal in : ";
inline constexpr char kSavingSamplePack[] = "Saving sample package to : ";
inline constexpr char kOffsetsOutOfRange[] = "ERROR- Sample start and end offsets out of range for : ";
inline constexpr char kCouldntWriteSamplePack[] = "ERROR- Couldn't write to sample pack file : ";
inline constexpr char kSamplePackTooLarge[] = "ERROR- Sample pack would exceed 4 GB with : ";
inline constexpr char kSampleTotalsLine[] = "Total Samples : %u, Included Files : %u\n";

// Macro scripts ("-ins", "-sfx", and the instruments file of "-mus").
inline constexpr char kParsingMacroScript[] = "Parsing macro script file : ";
inline constexpr char kNoMacrosDefined[] = "WARNING- No macros defined, are you sure about this?\n";
inline constexpr char kInvalidMacroLabel[] = "ERROR- Invalid macro label in : ";
inline constexpr char kPriorityOutOfRange[] = "ERROR- Priority out of range in : ";
inline constexpr char kPriorityForInstrument[] = "ERROR- Priority assigned to instrument in : ";
inline constexpr char kNoEffectPriority[] = "WARNING- No priority specified for sound effect : ";
inline constexpr char kMacroAlreadyDefined[] = "ERROR- Macro already defined with label : ";
inline constexpr char kEffectLabelFolder[] = "ERROR- Sound effect label must not name another folder : ";
inline constexpr char kEffectLabelCase[] = "ERROR- Sound effect label differs only in case from another : ";
inline constexpr char kEffectLabelNotIdentifier[] = "WARNING- Sound effect label is not a C identifier : ";
inline constexpr char kUnexpectedEndOfMacro[] = "ERROR- Unexpected end of macro in : ";
inline constexpr char kFlowOutsideChannel[] = "ERROR- Flow command outside of script header : ";
inline constexpr char kInstrumentChannels[] = "ERROR- Instrument uses more than one channel in : ";
inline constexpr char kNoSampleForChannel[] = "WARNING- No sample set for channel of : ";
inline constexpr char kNoNoteOffPoint[] = "WARNING- No note off point defined for instrument : ";
inline constexpr char kSampleNotFound[] = "ERROR- Unable to locate sample with name : ";
inline constexpr char kMultipleSamples[] = "ERROR- Multiple sample assignments to one channel of : ";
inline constexpr char kModeBeforeSample[] = "ERROR- Sample mode cannot be set until a sample has been assigned\n";
inline constexpr char kInvalidSamplingMode[] = "ERROR- Invalid sampling mode : ";
inline constexpr char kLoopMissingStart[] = "ERROR- Sample loop missing start offset\n";
inline constexpr char kLoopMissingEnd[] = "ERROR- Sample loop missing end offset\n";
inline constexpr char kLoopEndNotAfterStart[] = "ERROR- Sample loop end offset must be greater than the start\n";
inline constexpr char kNoteOffForEffect[] = "ERROR- Note off assigned for sound effect : ";
inline constexpr char kMultipleNoteOffs[] = "ERROR- Multiple note off assignments for : ";

// Instrument pack and sound effect files.
inline constexpr char kSavingInstrumentPack[] = "Saving instrument package to : ";
inline constexpr char kInstrumentTotalsLine[] = "Total Macro Instruments : %u\n";
inline constexpr char kSavingSoundEffect[] = "Saving sound effect binary to : ";
inline constexpr char kCantCreatePriorityHeader[] = "ERROR- Can't create priority definition file\n";
inline constexpr char kPriorityHeaderSavedLine[] = "\nPriority definitions saved to : %s\n";
inline constexpr char kEffectTotalsLine[] = "Total Sound Effects : %u\n";

// Music scripts ("-mus").
inline constexpr char kParsingMusicScript[] = "Parsing music script file : ";
inline constexpr char kInvalidBlockLabel[] = "ERROR- Invalid music block label in : ";
inline constexpr char kBlockPriorityOutOfRange[] = "ERROR- Music block priority out of range in : ";
inline constexpr char kSecondMainBlock[] = "ERROR- Second main block declaration in : ";
inline constexpr char kBlockAlreadyDefined[] = "ERROR- Block already defined with label : ";
inline constexpr char kExpectingBrace[] = "ERROR- Expecting '{' at block start : ";
inline constexpr char kUnexpectedEndOfBlock[] = "ERROR- Unexpected end of music block in : ";
inline constexpr char kNoMainBlock[] = "WARNING- No main block found for channel : ";
inline constexpr char kInstrumentNotFound[] = "ERROR- Instrument not found : ";
inline constexpr char kLoopCountReserved[] = "WARNING- Loop count of -128 reserved for CALLs\n";
inline constexpr char kUnableToParseNote[] = "ERROR- Unable to parse note : ";
inline constexpr char kNoteOutOfRange[] = "ERROR- Note frequency out of range (c.0 to g.10)\n";

// The block linker and the music track.
inline constexpr char kUnresolvedBlock[] = "ERROR- Unable to resolve reference to block : ";
inline constexpr char kLinkingMusicTrack[] = "Linking and saving music track to : ";
inline constexpr char kMusicTotalsLine[] = "Total Tracks %u, Total Blocks : %u\n";

// The dependency file of "-MF".
inline constexpr char kMissingDependencyFile[] = "ERROR- Missing dependency file name after : -MF\n";
inline constexpr char kUnwritableDependency[] = "ERROR- Can't write file name into dependency file : ";

// Line formats. The message text always comes first.
inline constexpr char kFormatMessage[] = "%s";                                    // message alone
inline constexpr char kFormatSubject[] = "%s%s\n";                                // message, subject
inline constexpr char kFormatFileLine[] = "%s%s,%u\n";                            // message, file,line
inline constexpr char kFormatSubjectNumber[] = "%s%s,%u\n";                       // message, subject,number
inline constexpr char kFormatSubjectFileLine[] = "%s%s in : %s,%u\n";             // message, subject in : file,line
inline constexpr char kFormatTokenLabelFileLine[] = "%s%s of : %s in : %s,%u\n";  // token of : label in : file,line
// The last lines of a package written: its size and name (then the stage's totals line).
inline constexpr char kSuccessLine[] = "\nSuccess! %u Bytes written to : %s\n";

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
