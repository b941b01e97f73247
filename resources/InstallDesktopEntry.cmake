# Runs at install time: writes the desktop entry with the program's real installed path,
# so that the menu starts the copy that was installed under this prefix.
# Expects VELLORN_DESKTOP_TEMPLATE, VELLORN_DESKTOP_OUTPUT (a build-tree file) and
# VELLORN_DESKTOP_BINDIR (the programs' folder below the prefix: "bin", or "." when portable).

cmake_path(APPEND CMAKE_INSTALL_PREFIX "${VELLORN_DESKTOP_BINDIR}" "vellorn" OUTPUT_VARIABLE exec)
cmake_path(NORMAL_PATH exec)
# A path with blanks or other reserved characters is one quoted argument; inside the quotes
# ", `, $ and \ are escaped with a backslash, and the desktop file's own string escaping
# doubles every backslash again. A % is written %% so it is not read as a field code.
if(exec MATCHES "[^A-Za-z0-9_./+,:=@-]")
  string(REPLACE "\\" "\\\\" quoted "${exec}")
  string(REPLACE "\"" "\\\"" quoted "${quoted}")
  string(REPLACE "`" "\\`" quoted "${quoted}")
  string(REPLACE "$" "\\$" quoted "${quoted}")
  string(REPLACE "\\" "\\\\" quoted "${quoted}")
  set(exec "\"${quoted}\"")
endif()
string(REPLACE "%" "%%" VELLORN_EXEC "${exec}")

configure_file("${VELLORN_DESKTOP_TEMPLATE}" "${VELLORN_DESKTOP_OUTPUT}" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications" TYPE FILE FILES "${VELLORN_DESKTOP_OUTPUT}")
