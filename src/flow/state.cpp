#include "flow/state.h"

#include "flow/run_end.h"

LineReader handlingIn;
platform::FileStamp handlingStamp;
int handlingCopied = 0;
OutputFile tempOut;
platform::Handle tempLock = platform::kNoHandle;
platform::FileStamp tempStamp;
std::string tempOutError;
std::string tempElsewhere;
std::string currentLine;
std::size_t currentLineNumber = 0;
std::uint64_t handlingChecksum = 0;
std::string vehicleName;
HandlingRecord record;

int bannerShown = 0;
int mode = modeManual;
int finished = 0;
int editAnother = 1;
int tempComplete = 0;
int outputLineOpen = 0;
int exitStatus = 0;
int commandLineEdit = 0;
int waitSeconds = 0;
const char* lackOfMemoryReport = kNoMemoryToStart;
int commandLineUndo = kNoUndo;
