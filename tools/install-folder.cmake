# Run by `cmake --install`: the parts of the installed folder that depend on where it is.
# Given VELLUMARK_MKCATALOGUE (the built catalogue maker) and VELLUMARK_SOURCE_DIR.
set(dir "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")

# An empty catalogue only when none is there: the maker never touches an existing file.
execute_process(
    COMMAND "${VELLUMARK_MKCATALOGUE}" "${VELLUMARK_SOURCE_DIR}/catalogue/schema.sql"
            "${dir}/data.mdb"
    RESULT_VARIABLE made)
if(NOT made EQUAL 0)
    message(FATAL_ERROR "could not make ${dir}/data.mdb")
endif()

# The desktop launcher, pointing into the folder. Exec takes the program path quoted, with the
# characters the desktop entry format reserves escaped; every value escapes its backslashes.
get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
set(exec "${prefix}/vellumark")
foreach(c "\\" "\"" "`" "$")
    string(REPLACE "${c}" "\\${c}" exec "${exec}")
endforeach()
string(REPLACE "%" "%%" exec "${exec}")
string(REPLACE "\\" "\\\\" exec "${exec}")
string(REPLACE "\\" "\\\\" DESKTOP_DIR "${prefix}")
set(DESKTOP_EXEC "\"${exec}\"")
set(DESKTOP_ICON "${DESKTOP_DIR}/vellumark.png")
message(STATUS "Installing: ${dir}/vellumark.desktop")
configure_file("${VELLUMARK_SOURCE_DIR}/app/vellumark.desktop.in" "${dir}/vellumark.desktop"
               @ONLY)
# A launcher outside the menus is started by a double-click only when it may be executed.
file(CHMOD "${dir}/vellumark.desktop" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
     GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
