# What the browser build takes from outside Emscripten's own libraries: stb's resampler
# (Debian's libstb-dev headers), and the libraries the decoders use (libmpg123, libjpeg-turbo,
# libpng, zlib), built here for WebAssembly from Debian's sources, which
# scripts/fetch-web-sources unpacks into VELLOMIRE_WEB_SOURCES.

set(VELLOMIRE_WEB_SOURCES "" CACHE PATH "The unpacked sources (scripts/fetch-web-sources)")
set(VELLOMIRE_MPG123_SOURCE ${VELLOMIRE_WEB_SOURCES}/mpg123)
if(NOT EXISTS "${VELLOMIRE_MPG123_SOURCE}/configure")
  message(FATAL_ERROR "${VELLOMIRE_MPG123_SOURCE} is missing; make web fetches it")
endif()

add_library(web_stb STATIC ${CMAKE_CURRENT_LIST_DIR}/StbImageResize.c)
target_include_directories(web_stb SYSTEM PUBLIC /usr/include/stb)
target_compile_options(web_stb PRIVATE -w)

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

# zlib and libpng are plain C; they are compiled here, with their own defaults (libpng's
# prebuilt configuration header) and without our warnings. libjpeg-turbo generates its
# configuration headers, so its own CMake builds it, static and without SIMD.
foreach(source zlib png jpeg)
  if(NOT EXISTS "${VELLOMIRE_WEB_SOURCES}/${source}/CMakeLists.txt")
    message(FATAL_ERROR "${VELLOMIRE_WEB_SOURCES}/${source} is missing; make web fetches it")
  endif()
endforeach()
set(zlib_dir ${VELLOMIRE_WEB_SOURCES}/zlib)
add_library(web_z STATIC
    ${zlib_dir}/adler32.c ${zlib_dir}/compress.c ${zlib_dir}/crc32.c ${zlib_dir}/deflate.c
    ${zlib_dir}/infback.c ${zlib_dir}/inffast.c ${zlib_dir}/inflate.c ${zlib_dir}/inftrees.c
    ${zlib_dir}/trees.c ${zlib_dir}/uncompr.c ${zlib_dir}/zutil.c)
target_include_directories(web_z SYSTEM PUBLIC ${zlib_dir})
target_compile_options(web_z PRIVATE -w)

set(png_dir ${VELLOMIRE_WEB_SOURCES}/png)
set(png_config ${CMAKE_BINARY_DIR}/png-config)
configure_file(${png_dir}/scripts/pnglibconf.h.prebuilt ${png_config}/pnglibconf.h COPYONLY)
add_library(web_png STATIC
    ${png_dir}/png.c ${png_dir}/pngerror.c ${png_dir}/pngget.c ${png_dir}/pngmem.c
    ${png_dir}/pngpread.c ${png_dir}/pngread.c ${png_dir}/pngrio.c ${png_dir}/pngrtran.c
    ${png_dir}/pngrutil.c ${png_dir}/pngset.c ${png_dir}/pngtrans.c ${png_dir}/pngwio.c
    ${png_dir}/pngwrite.c ${png_dir}/pngwtran.c ${png_dir}/pngwutil.c)
target_include_directories(web_png SYSTEM PUBLIC ${png_dir} ${png_config})
target_compile_definitions(web_png PRIVATE PNG_ARM_NEON_OPT=0 PNG_POWERPC_VSX_OPT=0)
target_compile_options(web_png PRIVATE -w)
target_link_libraries(web_png PUBLIC web_z)

set(jpeg_prefix ${CMAKE_BINARY_DIR}/jpeg)
ExternalProject_Add(jpeg_wasm
    SOURCE_DIR ${VELLOMIRE_WEB_SOURCES}/jpeg
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
        -DCMAKE_C_FLAGS=-O2 -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF
        -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF -Wno-dev
        # CMake's type-size probe misreads WebAssembly objects; wasm32 has 4-byte size_t and long.
        -DHAVE_SIZE_T=1 -DSIZE_T=4 -DHAVE_UNSIGNED_LONG=1 -DUNSIGNED_LONG=4
    BUILD_COMMAND ${CMAKE_COMMAND} --build . --target jpeg-static
    INSTALL_COMMAND ${CMAKE_COMMAND} -E make_directory ${jpeg_prefix}/lib ${jpeg_prefix}/include
    COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/libjpeg.a ${jpeg_prefix}/lib/
    COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/jconfig.h <SOURCE_DIR>/jpeglib.h
        <SOURCE_DIR>/jmorecfg.h <SOURCE_DIR>/jerror.h ${jpeg_prefix}/include/
    BUILD_BYPRODUCTS ${jpeg_prefix}/lib/libjpeg.a
    LOG_CONFIGURE ON LOG_BUILD ON LOG_INSTALL ON)
file(MAKE_DIRECTORY ${jpeg_prefix}/include)
add_library(web_jpeg STATIC IMPORTED GLOBAL)
set_target_properties(web_jpeg PROPERTIES IMPORTED_LOCATION ${jpeg_prefix}/lib/libjpeg.a
    INTERFACE_INCLUDE_DIRECTORIES ${jpeg_prefix}/include)
add_dependencies(web_jpeg jpeg_wasm)
