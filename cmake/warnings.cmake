include(${CMAKE_CURRENT_LIST_DIR}/precompiled.cmake)

# Warning and sanitizer flags for the project's own targets (not for GoogleTest).
function(vantrel_target_options target)
  # Win32 structures are routinely filled as {sizeof(x)} with the rest zeroed; that is not a defect.
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror=return-type -Wno-missing-field-initializers)
  if(VANTREL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(WIN32)
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                               _WIN32_WINNT=0x0A00 WINVER=0x0A00)
  endif()
  vantrel_precompile(${target})
  # Tests and benchmarks need line tables for a backtrace, not full debug information: that halves their build.
  get_target_property(dir ${target} SOURCE_DIR)
  if(dir MATCHES "/(tests|bench)(/|$)")
    target_compile_options(${target} PRIVATE $<$<CONFIG:RelWithDebInfo>:-g1>)
  endif()
endfunction()

if(VANTREL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
