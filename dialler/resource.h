// Resource and command ids of the dialler, shared by the code and vemro.rc.
#pragma once

#define ProgramIcon 200

// Menu commands.
#define CmdNew 100
#define CmdOpenData 101
#define CmdSaveData 102
#define CmdSaveAs 103
#define CmdExit 104
#define CmdCut 105
#define CmdCopy 106
#define CmdPaste 107
#define CmdViewStandard 108
#define CmdAbout 109
