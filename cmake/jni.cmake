# JNI headers for both targets, taken from the installed JDK (the one that `javac` belongs to,
# or LAUNCHER_JDK_HOME). The host build uses the JDK's own platform folder (include/linux);
# the Windows cross build uses vmhost/jni_win32, whose jni_md.h gives the Windows types.
if(NOT LAUNCHER_JDK_HOME)
  find_program(LAUNCHER_JAVAC javac NO_CMAKE_FIND_ROOT_PATH)
  if(NOT LAUNCHER_JAVAC)
    message(FATAL_ERROR "javac not found: install a JDK (scripts/install-deps.sh)")
  endif()
  file(REAL_PATH ${LAUNCHER_JAVAC} javac_real)
  get_filename_component(jdk_bin ${javac_real} DIRECTORY)
  get_filename_component(jdk_home ${jdk_bin} DIRECTORY)
  set(LAUNCHER_JDK_HOME ${jdk_home} CACHE PATH "JDK whose jni.h the build uses")
endif()
if(NOT EXISTS ${LAUNCHER_JDK_HOME}/include/jni.h)
  message(FATAL_ERROR "no include/jni.h below ${LAUNCHER_JDK_HOME}")
endif()

# Gives target the JNI headers of the platform being built.
function(launcher_use_jni target)
  if(WIN32)
    target_include_directories(${target} SYSTEM PUBLIC
      ${CMAKE_SOURCE_DIR}/vmhost/jni_win32 ${LAUNCHER_JDK_HOME}/include)
  else()
    target_include_directories(${target} SYSTEM PUBLIC
      ${LAUNCHER_JDK_HOME}/include ${LAUNCHER_JDK_HOME}/include/linux)
  endif()
endfunction()
