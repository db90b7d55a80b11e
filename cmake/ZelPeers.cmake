# The established libraries our results and speed are compared with, found
# once for the tests and the benchmarks. Each peer is optional: a missing one
# leaves its target undefined, and whoever uses it checks `if(TARGET ...)`.
#
#   ZelPeer::OpenBLAS  BLAS (cblas.h) and LAPACK from OpenBLAS (Debian libopenblas-dev)
#   ZelPeer::LAPACKE   the C interface to LAPACK, lapacke.h (Debian liblapacke-dev)
#   ZelPeer::Eigen     Eigen 3, header only (Debian libeigen3-dev)
#   ZelPeer::nanoflann nanoflann k-d trees, header only (Debian libnanoflann-dev)
#   ZelPeer::RDKit     RDKit's molecule, ring and substructure libraries (Debian librdkit-dev)
#   ZelPeer::FFTW      FFTW 3 in double precision, fftw3.h (Debian libfftw3-dev)
#   ZelPeer::BoostMath Boost.Math distributions, header only (Debian libboost-math-dev)
#   ZelPeer::PROJ      PROJ's C API, proj.h (Debian libproj-dev)
#   ZelPeer::GeographicLib GeographicLib's projections and geocentric conversion (Debian libgeographiclib-dev)
include_guard(GLOBAL)

find_library(ZEL_PEER_OPENBLAS_LIBRARY openblas)
# Debian keeps cblas.h below the multiarch folder, one copy per OpenBLAS flavour.
find_path(ZEL_PEER_CBLAS_INCLUDE_DIR cblas.h PATH_SUFFIXES openblas openblas-pthread)
if(ZEL_PEER_OPENBLAS_LIBRARY AND ZEL_PEER_CBLAS_INCLUDE_DIR)
  add_library(ZelPeer::OpenBLAS UNKNOWN IMPORTED)
  set_target_properties(ZelPeer::OpenBLAS PROPERTIES
    IMPORTED_LOCATION ${ZEL_PEER_OPENBLAS_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${ZEL_PEER_CBLAS_INCLUDE_DIR})
else()
  message(STATUS "Peer OpenBLAS (libopenblas, cblas.h) not found: its comparisons are left out")
endif()

find_library(ZEL_PEER_LAPACKE_LIBRARY lapacke)
find_path(ZEL_PEER_LAPACKE_INCLUDE_DIR lapacke.h)
if(ZEL_PEER_LAPACKE_LIBRARY AND ZEL_PEER_LAPACKE_INCLUDE_DIR)
  # liblapacke brings its own dependency on the system LAPACK; a program that
  # wants LAPACK from OpenBLAS links ZelPeer::OpenBLAS after this target.
  add_library(ZelPeer::LAPACKE UNKNOWN IMPORTED)
  set_target_properties(ZelPeer::LAPACKE PROPERTIES
    IMPORTED_LOCATION ${ZEL_PEER_LAPACKE_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${ZEL_PEER_LAPACKE_INCLUDE_DIR})
else()
  message(STATUS "Peer LAPACKE (liblapacke, lapacke.h) not found: its comparisons are left out")
endif()

find_package(Eigen3 QUIET NO_MODULE)
if(TARGET Eigen3::Eigen)
  add_library(ZelPeer::Eigen INTERFACE IMPORTED)
  target_link_libraries(ZelPeer::Eigen INTERFACE Eigen3::Eigen)
else()
  message(STATUS "Peer Eigen3 not found: its comparisons are left out")
endif()

find_package(nanoflann QUIET NO_MODULE)
if(TARGET nanoflann::nanoflann)
  add_library(ZelPeer::nanoflann INTERFACE IMPORTED)
  target_link_libraries(ZelPeer::nanoflann INTERFACE nanoflann::nanoflann)
else()
  message(STATUS "Peer nanoflann not found: its comparisons are left out")
endif()

# Debian installs RDKit's headers below include/rdkit and no CMake package.
find_path(ZEL_PEER_RDKIT_INCLUDE_DIR GraphMol/GraphMol.h PATH_SUFFIXES rdkit)
set(zel_rdkit_libs "")
foreach(lib RDKitSubstructMatch RDKitSmilesParse RDKitGraphMol RDKitRDGeneral)
  find_library(ZEL_PEER_${lib}_LIBRARY ${lib})
  if(ZEL_PEER_${lib}_LIBRARY)
    list(APPEND zel_rdkit_libs ${ZEL_PEER_${lib}_LIBRARY})
  else()
    set(ZEL_PEER_RDKIT_INCLUDE_DIR ZEL_PEER_RDKIT_INCLUDE_DIR-NOTFOUND)
  endif()
endforeach()
if(ZEL_PEER_RDKIT_INCLUDE_DIR)
  add_library(ZelPeer::RDKit INTERFACE IMPORTED)
  set_target_properties(ZelPeer::RDKit PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${ZEL_PEER_RDKIT_INCLUDE_DIR}
    INTERFACE_LINK_LIBRARIES "${zel_rdkit_libs}")
else()
  message(STATUS "Peer RDKit (librdkit-dev) not found: its comparisons are left out")
endif()

find_library(ZEL_PEER_FFTW_LIBRARY fftw3)
find_path(ZEL_PEER_FFTW_INCLUDE_DIR fftw3.h)
if(ZEL_PEER_FFTW_LIBRARY AND ZEL_PEER_FFTW_INCLUDE_DIR)
  add_library(ZelPeer::FFTW UNKNOWN IMPORTED)
  set_target_properties(ZelPeer::FFTW PROPERTIES
    IMPORTED_LOCATION ${ZEL_PEER_FFTW_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${ZEL_PEER_FFTW_INCLUDE_DIR})
else()
  message(STATUS "Peer FFTW (libfftw3, fftw3.h) not found: its comparisons are left out")
endif()

find_path(ZEL_PEER_BOOSTMATH_INCLUDE_DIR boost/math/distributions/normal.hpp)
if(ZEL_PEER_BOOSTMATH_INCLUDE_DIR)
  add_library(ZelPeer::BoostMath INTERFACE IMPORTED)
  set_target_properties(ZelPeer::BoostMath PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${ZEL_PEER_BOOSTMATH_INCLUDE_DIR})
else()
  message(STATUS "Peer Boost.Math (boost/math) not found: its comparisons are left out")
endif()

find_library(ZEL_PEER_PROJ_LIBRARY proj)
find_path(ZEL_PEER_PROJ_INCLUDE_DIR proj.h)
if(ZEL_PEER_PROJ_LIBRARY AND ZEL_PEER_PROJ_INCLUDE_DIR)
  add_library(ZelPeer::PROJ UNKNOWN IMPORTED)
  set_target_properties(ZelPeer::PROJ PROPERTIES
    IMPORTED_LOCATION ${ZEL_PEER_PROJ_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${ZEL_PEER_PROJ_INCLUDE_DIR})
else()
  message(STATUS "Peer PROJ (libproj, proj.h) not found: its comparisons are left out")
endif()

find_library(ZEL_PEER_GEOGRAPHICLIB_LIBRARY GeographicLib)
find_path(ZEL_PEER_GEOGRAPHICLIB_INCLUDE_DIR GeographicLib/UTMUPS.hpp)
if(ZEL_PEER_GEOGRAPHICLIB_LIBRARY AND ZEL_PEER_GEOGRAPHICLIB_INCLUDE_DIR)
  add_library(ZelPeer::GeographicLib UNKNOWN IMPORTED)
  set_target_properties(ZelPeer::GeographicLib PROPERTIES
    IMPORTED_LOCATION ${ZEL_PEER_GEOGRAPHICLIB_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${ZEL_PEER_GEOGRAPHICLIB_INCLUDE_DIR})
else()
  message(STATUS "Peer GeographicLib (libGeographicLib, GeographicLib/UTMUPS.hpp) not found: its comparisons are left out")
endif()
