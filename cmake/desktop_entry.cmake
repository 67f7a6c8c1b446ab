# Installs the desktop entry (see cmake/install.cmake): VIGIL_DESKTOP_TEMPLATE
# filled in with the installed player (VIGIL_INSTALL_BINDIR/vigil) and demo
# folder (VIGIL_INSTALL_DATADIR/vigil) under CMAKE_INSTALL_PREFIX, which is
# only known when installing. DESTDIR is not part of the paths it names
# (file(INSTALL) puts it in front of the destination itself).
cmake_path(ABSOLUTE_PATH VIGIL_INSTALL_BINDIR BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}" NORMALIZE
           OUTPUT_VARIABLE bindir)
cmake_path(ABSOLUTE_PATH VIGIL_INSTALL_DATADIR BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}" NORMALIZE
           OUTPUT_VARIABLE datadir)
set(player "${bindir}/vigil")
set(demo "${datadir}/vigil")

# Exec= is a command line: % is written %%, and a program path holding a
# reserved character goes in double quotes, with " ` $ and \ escaped by a
# backslash there. Every backslash is then doubled once more, as in any
# string value; Path= takes only that last step.
string(REPLACE "%" "%%" exec "${player}")
if(exec MATCHES "[^-A-Za-z0-9/._+%]")
  string(REGEX REPLACE "([\"`$\\])" "\\\\\\1" exec "${exec}")
  set(exec "\"${exec}\"")
endif()
string(REPLACE "\\" "\\\\" VIGIL_DESKTOP_EXEC "${exec}")
string(REPLACE "\\" "\\\\" VIGIL_DESKTOP_PATH "${demo}")

# Written to a folder of its own for each prefix, so that installs to
# different prefixes from one build tree at the same time (a staging install
# and the package) do not write one file.
string(MD5 key "${CMAKE_INSTALL_PREFIX}")
set(written "${VIGIL_DESKTOP_SCRATCH}/${key}/vigil.desktop")
configure_file("${VIGIL_DESKTOP_TEMPLATE}" "${written}" @ONLY)
file(INSTALL "${written}" DESTINATION "${datadir}/applications")
