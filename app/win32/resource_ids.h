// Ids of Fennox.exe's resources, shared by fennox.rc and the code that loads
// them.
#pragma once

// The program's icon. The lowest id, so that Explorer shows it for the file.
#define IDI_FENNOX 1
// The panel's picture, app/icons/picture.bmp (the Linux program shows it too).
#define IDB_PICTURE 2
