# The settings text compiled into a launcher. An INI file named at configure time becomes a
# generated source that defines builtInSettingsText(); without a file the text is empty.
# Line ends become CR LF, the only break the in-memory reader splits at, so that a file
# checked out with LF ends still works. Editing the file reconfigures the build.
function(launcher_built_in_settings_source out_var name ini_file)
  set(bytes "")
  set(origin "no settings file: the text is empty")
  if(ini_file)
    get_filename_component(ini_file ${ini_file} ABSOLUTE)
    if(NOT EXISTS ${ini_file})
      message(FATAL_ERROR "built-in settings file not found: ${ini_file}")
    endif()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ini_file})
    set(origin ${ini_file})
    file(READ ${ini_file} hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REPLACE "0x0d,0x0a," "0x0a," bytes "${bytes}")
    string(REPLACE "0x0a," "0x0d,0x0a," bytes "${bytes}")
  endif()
  set(out ${CMAKE_BINARY_DIR}/generated/built_in_settings_${name}.cpp)
  file(CONFIGURE OUTPUT ${out} CONTENT [=[
// Generated from @origin@; do not edit.
#include "settings/settings_source.h"

namespace {
const unsigned char builtInBytes[] = {
    @bytes@0x00};
// Built before main starts a thread, so that a first use needs no guard.
const std::string text(reinterpret_cast<const char*>(builtInBytes), sizeof builtInBytes - 1);
} // namespace

const std::string& builtInSettingsText() {
    return text;
}
]=] @ONLY)
  set(${out_var} ${out} PARENT_SCOPE)
endfunction()
