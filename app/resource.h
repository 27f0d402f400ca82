// The texts that name the program. The Windows resource script and the
// desktop build both take them from here.
#pragma once

#define IDS_APP_TITLE 57344
#define KADENZO_APP_TITLE "Kadenzo 32 Bit  Windows Application"
