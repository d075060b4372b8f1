# libjpeg for the snapshot writer. Native builds use the system's libjpeg-turbo; cross builds compile Debian's
# libjpeg-turbo source package (fetched once by scripts/fetch-deps.sh into .deps/) as a static library.
# Either way the result is the target JPEG::JPEG.
if(TARGET JPEG::JPEG)
  return()
endif()

if(NOT CMAKE_CROSSCOMPILING)
  find_package(JPEG REQUIRED)
  return()
endif()

set(_jpeg_src ${PROJECT_SOURCE_DIR}/.deps/libjpeg-turbo)
if(NOT EXISTS ${_jpeg_src}/jpeglib.h)
  execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/fetch-deps.sh RESULT_VARIABLE _jpeg_rc)
  if(NOT _jpeg_rc EQUAL 0)
    message(FATAL_ERROR "scripts/fetch-deps.sh failed: libjpeg-turbo's source is needed for the Windows build")
  endif()
endif()

include(ExternalProject)
set(_jpeg_bin ${CMAKE_BINARY_DIR}/_jpeg/build)
set(_jpeg_out ${CMAKE_BINARY_DIR}/_jpeg/out)
file(MAKE_DIRECTORY ${_jpeg_out}/include ${_jpeg_out}/lib)
# Only the static library is built and copied: the full install would also build cjpeg and the other tools.
ExternalProject_Add(jpeg_ep
  SOURCE_DIR ${_jpeg_src}
  BINARY_DIR ${_jpeg_bin}
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
             -DCMAKE_INSTALL_PREFIX=${CMAKE_BINARY_DIR}/_jpeg/prefix -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF
             -DCMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER}
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${_jpeg_bin} --target jpeg-static
  INSTALL_COMMAND ${CMAKE_COMMAND} -E copy ${_jpeg_bin}/libjpeg.a ${_jpeg_out}/lib/
          COMMAND ${CMAKE_COMMAND} -E copy ${_jpeg_bin}/jconfig.h ${_jpeg_src}/jpeglib.h ${_jpeg_src}/jmorecfg.h
                  ${_jpeg_src}/jerror.h ${_jpeg_out}/include/
  BUILD_BYPRODUCTS ${_jpeg_out}/lib/libjpeg.a
  UPDATE_COMMAND "" PATCH_COMMAND "")

add_library(vantrel_jpeg INTERFACE)
add_dependencies(vantrel_jpeg jpeg_ep)
target_include_directories(vantrel_jpeg SYSTEM INTERFACE ${_jpeg_out}/include)
target_link_libraries(vantrel_jpeg INTERFACE ${_jpeg_out}/lib/libjpeg.a)
add_library(JPEG::JPEG ALIAS vantrel_jpeg)
