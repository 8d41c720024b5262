# What the browser build takes from outside Emscripten's own libraries: stb's resampler
# (Debian's libstb-dev headers), and the libraries the decoders use (libmpg123, libjpeg-turbo,
# libpng, zlib), built here for WebAssembly from Debian's sources, which
# scripts/fetch-web-sources unpacks into VELLOMIRE_WEB_SOURCES.

set(VELLOMIRE_WEB_SOURCES "" CACHE PATH "The unpacked sources (scripts/fetch-web-sources)")
set(VELLOMIRE_MPG123_SOURCE ${VELLOMIRE_WEB_SOURCES}/mpg123)
if(NOT EXISTS "${VELLOMIRE_MPG123_SOURCE}/configure")
  message(FATAL_ERROR "${VELLOMIRE_MPG123_SOURCE} is missing; make web fetches it")
endif()

add_library(web_stb INTERFACE)
target_include_directories(web_stb SYSTEM INTERFACE /usr/include/stb)

# libmpg123 alone (no player, no outputs, no network), generic C synthesis; built in a copy of
# the source because its configure writes into the tree.
include(ExternalProject)
find_program(EMCONFIGURE emconfigure REQUIRED)
find_program(EMMAKE emmake REQUIRED)
set(mpg123_dir ${CMAKE_BINARY_DIR}/mpg123)
ExternalProject_Add(mpg123_wasm
    # cp -a keeps the time stamps, so make does not think the autotools files changed.
    DOWNLOAD_COMMAND cp -a ${VELLOMIRE_MPG123_SOURCE}/. ${mpg123_dir}
    SOURCE_DIR ${mpg123_dir}
    BUILD_IN_SOURCE ON
    CONFIGURE_COMMAND ${EMCONFIGURE} ./configure --host=i686-pc-linux-gnu --with-cpu=generic_fpu
        --disable-shared --enable-static --disable-modules --with-audio=dummy
        --with-default-audio=dummy --disable-network --disable-id3v2 --disable-icy
        --disable-string --disable-feature_report -q
    BUILD_COMMAND ${EMMAKE} make -s src/libmpg123/libmpg123.la
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${mpg123_dir}/src/libmpg123/.libs/libmpg123.a
    LOG_CONFIGURE ON
    LOG_BUILD ON)
file(MAKE_DIRECTORY ${mpg123_dir}/src/libmpg123)
add_library(web_mpg123 STATIC IMPORTED GLOBAL)
set_target_properties(web_mpg123 PROPERTIES
    IMPORTED_LOCATION ${mpg123_dir}/src/libmpg123/.libs/libmpg123.a
    INTERFACE_INCLUDE_DIRECTORIES ${mpg123_dir}/src/libmpg123)
add_dependencies(web_mpg123 mpg123_wasm)

# zlib, libpng and libjpeg-turbo: static, no SIMD, no programs; installed into one prefix.
set(web_prefix ${CMAKE_BINARY_DIR}/prefix)
set(web_cmake_args
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX=${web_prefix} -DCMAKE_INSTALL_LIBDIR=lib -DCMAKE_C_FLAGS=-O2
    -DCMAKE_POSITION_INDEPENDENT_CODE=OFF -Wno-dev)
foreach(source zlib png jpeg)
  if(NOT EXISTS "${VELLOMIRE_WEB_SOURCES}/${source}/CMakeLists.txt")
    message(FATAL_ERROR "${VELLOMIRE_WEB_SOURCES}/${source} is missing; make web fetches it")
  endif()
endforeach()
ExternalProject_Add(zlib_wasm
    SOURCE_DIR ${VELLOMIRE_WEB_SOURCES}/zlib
    CMAKE_ARGS ${web_cmake_args}
    BUILD_COMMAND ${CMAKE_COMMAND} --build . --target zlibstatic
    INSTALL_COMMAND ${CMAKE_COMMAND} -E make_directory ${web_prefix}/lib ${web_prefix}/include
    COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/libz.a ${web_prefix}/lib/
    COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/zconf.h <SOURCE_DIR>/zlib.h ${web_prefix}/include/
    BUILD_BYPRODUCTS ${web_prefix}/lib/libz.a
    LOG_CONFIGURE ON LOG_BUILD ON LOG_INSTALL ON)
ExternalProject_Add(png_wasm
    SOURCE_DIR ${VELLOMIRE_WEB_SOURCES}/png
    CMAKE_ARGS ${web_cmake_args} -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_EXECUTABLES=OFF
        -DPNG_TESTS=OFF -DPNG_HARDWARE_OPTIMIZATIONS=OFF -Dld-version-script=OFF
        -DZLIB_LIBRARY=${web_prefix}/lib/libz.a -DZLIB_INCLUDE_DIR=${web_prefix}/include
        -DSKIP_INSTALL_EXECUTABLES=ON -DSKIP_INSTALL_FILES=ON
    DEPENDS zlib_wasm
    BUILD_BYPRODUCTS ${web_prefix}/lib/libpng16.a
    LOG_CONFIGURE ON LOG_BUILD ON LOG_INSTALL ON)
ExternalProject_Add(jpeg_wasm
    SOURCE_DIR ${VELLOMIRE_WEB_SOURCES}/jpeg
    CMAKE_ARGS ${web_cmake_args} -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF
        -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF
    BUILD_COMMAND ${CMAKE_COMMAND} --build . --target jpeg-static
    INSTALL_COMMAND ${CMAKE_COMMAND} -E make_directory ${web_prefix}/lib ${web_prefix}/include
    COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/libjpeg.a ${web_prefix}/lib/
    COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/jconfig.h <SOURCE_DIR>/jpeglib.h
        <SOURCE_DIR>/jmorecfg.h <SOURCE_DIR>/jerror.h ${web_prefix}/include/
    BUILD_BYPRODUCTS ${web_prefix}/lib/libjpeg.a
    LOG_CONFIGURE ON LOG_BUILD ON LOG_INSTALL ON)
file(MAKE_DIRECTORY ${web_prefix}/include)
foreach(lib z png jpeg)
  add_library(web_${lib} STATIC IMPORTED GLOBAL)
  set_target_properties(web_${lib} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${web_prefix}/include)
endforeach()
set_target_properties(web_z PROPERTIES IMPORTED_LOCATION ${web_prefix}/lib/libz.a)
set_target_properties(web_png PROPERTIES IMPORTED_LOCATION ${web_prefix}/lib/libpng16.a
    INTERFACE_LINK_LIBRARIES web_z)
set_target_properties(web_jpeg PROPERTIES IMPORTED_LOCATION ${web_prefix}/lib/libjpeg.a)
add_dependencies(web_z zlib_wasm)
add_dependencies(web_png png_wasm)
add_dependencies(web_jpeg jpeg_wasm)
