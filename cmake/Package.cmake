# `make package` (cpack) builds a Debian package and a .tar.gz from the
# install rules of Install.cmake. The version is the project's own.
set(CPACK_PACKAGE_NAME ${MERGER_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR "QELPeople")
set(CPACK_PACKAGE_CONTACT "QELPeopleMaskMerger maintainers <qelpeoplemaskmerger@maintainers.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "three-way merge of customised security mask files")
# The long description, wrapped as dpkg shows it.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "QELPeopleMaskMerger carries a site's customised security mask over to a"
  "new version of the product. It merges the DEFAULT mask of version N, the"
  "DEFAULT mask of version N+1 and the site's mask built on version N into"
  "the site's mask for version N+1. The questions it cannot settle by itself"
  "are decided by an optional rule file or by its own recommendation, and"
  "each one is written into the merged file as comment lines for review."
  "qelmask is the command for people: it refuses an output that would"
  "overwrite an input, writes nothing or the whole file, and sums up what the"
  "merge decided; QELPeopleMaskMerger keeps its command line for scripts.")
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_STRIP_FILES ON)
set(CPACK_VERBATIM_VARIABLES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends: computed by dpkg-shlibdeps from the libraries the programs link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
