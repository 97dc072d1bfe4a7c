# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows build with MinGW-w64: every program's UTF-8 manifest; and made on Linux
# (the windows preset, scripts/build-windows), Qt for Windows from scripts/windows-qt
# with the host's Qt tools of the same version, miniupnpc from
# scripts/windows-router-libs, OpenSSL and libmosquitto from scripts/windows-meet-libs,
# and the tests run under Wine.
set(MARLOVEN_WINDOWS_QT "" CACHE PATH "Qt for Windows, as built by scripts/windows-qt")
set(MARLOVEN_WINDOWS_ROUTER_LIBS "" CACHE PATH
    "miniupnpc for Windows, as built by scripts/windows-router-libs")
set(MARLOVEN_WINDOWS_DOSBOX "" CACHE PATH "DOSBox for Windows, as built by scripts/windows-dosbox")
set(MARLOVEN_WINDOWS_MEET_LIBS "" CACHE PATH
    "OpenSSL and libmosquitto for Windows, as built by scripts/windows-meet-libs")
if(CMAKE_CROSSCOMPILING AND MARLOVEN_WINDOWS_ROUTER_LIBS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${MARLOVEN_WINDOWS_ROUTER_LIBS})
endif()
if(CMAKE_CROSSCOMPILING AND MARLOVEN_WINDOWS_MEET_LIBS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${MARLOVEN_WINDOWS_MEET_LIBS})
  # Built static only, so that the download carries no OpenSSL DLL that another
  # program's could be taken for; static, it needs Winsock and the crypto API.
  set(OPENSSL_USE_STATIC_LIBS TRUE)
endif()
if(CMAKE_CROSSCOMPILING AND MARLOVEN_WINDOWS_QT)
  list(APPEND CMAKE_FIND_ROOT_PATH ${MARLOVEN_WINDOWS_QT})
  # moc, rcc and uic run here: the host's Qt, whose CMake files lie in the multiarch
  # folder that Qt does not guess.
  set(QT_HOST_PATH /usr CACHE PATH "The host's Qt, for its tools")
  file(GLOB host_info /usr/lib/*/cmake/Qt6HostInfo)
  list(GET host_info 0 host_info)
  get_filename_component(host_cmake ${host_info} DIRECTORY)
  set(QT_HOST_PATH_CMAKE_DIR ${host_cmake} CACHE PATH "The host's Qt CMake files")

  # The host's rcc compresses with zstd, which this Qt is built without.
  set(CMAKE_AUTORCC_OPTIONS --no-zstd)

  # ctest and the tests that start programs run them under Wine, with Qt's and the
  # compiler's DLLs on its path, the DOSBox the download carries and the Windows
  # mosquitto the meeting place's tests start, in a Wine prefix of the build's own.
  set(wine_paths)
  foreach(folder IN ITEMS ${MARLOVEN_WINDOWS_DOSBOX} ${MARLOVEN_WINDOWS_MEET_LIBS})
    list(APPEND wine_paths --path ${folder}/bin)
  endforeach()
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${PROJECT_SOURCE_DIR}/scripts/windows/wine-run --qt ${MARLOVEN_WINDOWS_QT} ${wine_paths}
      --prefix ${PROJECT_BINARY_DIR}/wine --)
endif()

enable_language(RC)

# GCC 12 warns of an overlapping copy inside its own std::string concatenation when
# optimising (its bug 105329): a false alarm that -Werror must not turn into a failure.
if(CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-restrict)
endif()

# Every program of ours carries packaging/utf8.manifest, the tests as well as the
# launcher, so that they meet folder names as the launcher does.
function(marloven_add_windows_manifests dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
      target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/packaging/utf8_manifest.rc)
    endif()
  endforeach()
  get_property(subdirectories DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdirectory IN LISTS subdirectories)
    marloven_add_windows_manifests(${subdirectory})
  endforeach()
endfunction()
