# Copies a text file with Windows line endings, for the files that go beside
# KADENZO.EXE: cmake -DINPUT=... -DOUTPUT=... -P crlf.cmake
file(READ "${INPUT}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUTPUT}" "${text}")
