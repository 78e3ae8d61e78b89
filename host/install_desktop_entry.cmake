# Run by "cmake --install" after the program is in place: links <prefix>/bin/vexa-tracker to the
# program and writes the desktop entry, both naming the prefix being installed to.
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(program "${CMAKE_INSTALL_PREFIX}/bin/vexa-tracker")
set(icon "${CMAKE_INSTALL_PREFIX}/share/icons/hicolor/48x48/apps/vexa-tracker.png")

message(STATUS "Installing: ${root}/bin/vexa-tracker")
file(MAKE_DIRECTORY "${root}/bin")
file(CREATE_LINK ../lib/vexa-tracker/vexa-tracker "${root}/bin/vexa-tracker" SYMBOLIC)

# Exec holds the program as one quoted argument (the prefix may contain spaces): inside the
# quotes '"', '`', '$' and '\' take a backslash and '%' is doubled. Then, as in every string value
# of a desktop entry, each backslash is written twice.
set(argument "${program}")
string(REPLACE "\\" "\\\\" argument "${argument}")
foreach(special "\"" "`" "$")
  string(REPLACE "${special}" "\\${special}" argument "${argument}")
endforeach()
string(REPLACE "%" "%%" argument "${argument}")
string(REPLACE "\\" "\\\\" VEXA_DESKTOP_EXEC "\"${argument}\"")
string(REPLACE "\\" "\\\\" VEXA_DESKTOP_TRY_EXEC "${program}")
string(REPLACE "\\" "\\\\" VEXA_DESKTOP_ICON "${icon}")

message(STATUS "Installing: ${root}/share/applications/vexa-tracker.desktop")
configure_file("${CMAKE_CURRENT_LIST_DIR}/vexa-tracker.desktop.in"
  "${root}/share/applications/vexa-tracker.desktop" @ONLY)
