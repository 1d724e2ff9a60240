# The sheet's stream is the classic zlib's level-7 stream, written by our own deflate; the linked
# zlib serves the tests as their oracle only when it is the classic zlib. zlib-ng's compatible
# build (zlib-ng-compat) writes other, equally valid streams: the tests that compare with the
# linked zlib then skip and say so, and the golden streams still check exactness.
include(CheckSymbolExists)
set(CMAKE_REQUIRED_INCLUDES ${ZLIB_INCLUDE_DIRS})
check_symbol_exists(ZLIBNG_VERSION zlib.h QUILTMAP_ZLIB_IS_NG)
unset(CMAKE_REQUIRED_INCLUDES)
if(QUILTMAP_ZLIB_IS_NG)
  set(QUILTMAP_CLASSIC_ZLIB 0)
  set(ng_version "")
  foreach(dir ${ZLIB_INCLUDE_DIRS})
    if(EXISTS ${dir}/zlib.h)
      file(STRINGS ${dir}/zlib.h ng_version REGEX "^#define ZLIBNG_VERSION ")
      string(REGEX REPLACE ".*\"(.*)\".*" "\\1" ng_version "${ng_version}")
      break()
    endif()
  endforeach()
  message(STATUS "Linked zlib: zlib-ng ${ng_version} (zlib compatible ${ZLIB_VERSION_STRING}); "
    "tests comparing with it are skipped")
else()
  set(QUILTMAP_CLASSIC_ZLIB 1)
  message(STATUS "Linked zlib: classic zlib ${ZLIB_VERSION_STRING}")
endif()
