# Third-party libraries: GoogleTest and libharu, from Debian natively and built for mingw otherwise.

if(CMAKE_CROSSCOMPILING AND WIN32)
  # libharu and its zlib, built statically by tools/setup.sh into build/deps/<triple>.
  set(QUORVANE_DEPS_DIR "${CMAKE_SOURCE_DIR}/build/deps/${QUORVANE_MINGW_TRIPLE}"
      CACHE PATH "Prefix of the libharu build for this mingw target")
  find_library(QUORVANE_HPDF_LIBRARY NAMES hpdfs hpdf PATHS "${QUORVANE_DEPS_DIR}/lib"
               NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  find_library(QUORVANE_ZLIB_LIBRARY NAMES libz.a z)
  if(NOT QUORVANE_HPDF_LIBRARY OR NOT QUORVANE_ZLIB_LIBRARY)
    message(FATAL_ERROR "libharu for ${QUORVANE_MINGW_TRIPLE} not found in ${QUORVANE_DEPS_DIR}; run tools/setup.sh")
  endif()
  add_library(Quorvane::hpdf STATIC IMPORTED GLOBAL)
  set_target_properties(Quorvane::hpdf PROPERTIES
    IMPORTED_LOCATION "${QUORVANE_HPDF_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${QUORVANE_DEPS_DIR}/include"
    INTERFACE_LINK_LIBRARIES "${QUORVANE_ZLIB_LIBRARY}")
else()
  find_library(QUORVANE_HPDF_LIBRARY NAMES hpdf REQUIRED)
  find_path(QUORVANE_HPDF_INCLUDE hpdf.h REQUIRED)
  find_package(ZLIB REQUIRED)
  add_library(Quorvane::hpdf UNKNOWN IMPORTED GLOBAL)
  set_target_properties(Quorvane::hpdf PROPERTIES
    IMPORTED_LOCATION "${QUORVANE_HPDF_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${QUORVANE_HPDF_INCLUDE}"
    INTERFACE_LINK_LIBRARIES ZLIB::ZLIB)
endif()

if(QUORVANE_TESTS)
  if(CMAKE_CROSSCOMPILING)
    # Debian ships GoogleTest's sources; build them with the cross compiler.
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    # GoogleTest's own build defines the GTest:: aliases.
    add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
  else()
    find_package(GTest REQUIRED)
  endif()
endif()
