#include "recording/data_file.h"
#include "recording/recording.h"

int SaveHandle = -1;
int FileFlag[2] = {0, 0};
short FromFile1 = -1, ToFile1 = -1, FromFile2 = -1, ToFile2 = -1;
short DirFlag[2] = {0, 0};
std::string Dir[2];

std::string Filename;
std::string Files[2];
int Ft = -1;

namespace trelvanix {

void ResetRecordingState() {
    SaveHandle = -1;
    FileFlag[0] = FileFlag[1] = 0;
    FromFile1 = ToFile1 = FromFile2 = ToFile2 = -1;
    DirFlag[0] = DirFlag[1] = 0;
    Dir[0].clear();
    Dir[1].clear();
    Filename.clear();
    Files[0].clear();
    Files[1].clear();
    Ft = -1;
    recording::forgetDataFiles();
}

}  // namespace trelvanix
