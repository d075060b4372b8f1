# Precompiled headers for the Windows builds: most of their time goes to parsing windows.h, the standard library
# and GoogleTest again in every translation unit. Portable code gets only the standard library, so that nothing of
# windows.h leaks into a core file that forgot to include what it uses (the native builds, which check core, use
# none).
option(VANTREL_PCH "Precompile the common system and library headers in Windows builds" ${WIN32})

set(VANTREL_PCH_STD <algorithm> <array> <atomic> <chrono> <cstdint> <cstdio> <cstring> <functional> <map> <memory>
    <mutex> <optional> <set> <string> <string_view> <thread> <utility> <vector>)
set(VANTREL_PCH_WIN32 <windows.h> <commctrl.h>)

function(vantrel_precompile target)
  if(NOT VANTREL_PCH)
    return()
  endif()
  # A target of one file would parse the headers for the precompiled header and gain nothing.
  get_target_property(sources ${target} SOURCES)
  list(FILTER sources INCLUDE REGEX "\\.cpp$")
  list(LENGTH sources count)
  if(count LESS 2)
    return()
  endif()
  get_target_property(dir ${target} SOURCE_DIR)
  set(headers ${VANTREL_PCH_STD})
  if(WIN32 AND NOT dir MATCHES "/(src|tests)/core$|/fuzz$")
    list(PREPEND headers ${VANTREL_PCH_WIN32})
  endif()
  get_target_property(libs ${target} LINK_LIBRARIES)
  if(libs MATCHES "vantrel_test_main|GTest::gtest")
    list(APPEND headers <gtest/gtest.h>)
  endif()
  target_precompile_headers(${target} PRIVATE ${headers})
  # Through a precompiled header, GCC 12 no longer knows the inline functions of mingw's wchar.h as system code
  # and reports its own false array-bounds findings in them; the native builds keep these warnings.
  target_compile_options(${target} PRIVATE -Wno-array-bounds -Wno-stringop-overflow -Wno-stringop-overread)
endfunction()
