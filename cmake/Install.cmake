# What `cmake --install` (and so every package) puts on an administrator's
# machine: the programs, their manual pages, their bash completion, the
# examples and the copyright notice. Nothing that a test or a benchmark needs.
#
# One more program is one more name in MERGER_PROGRAMS, with its completion
# script completion/<program>.bash, and its pages in MERGER_MAN_PAGES.
include(GNUInstallDirs)

set(MERGER_PROGRAMS QELPeopleMaskMerger qelmask)
set(MERGER_MAN_PAGES
    QELPeopleMaskMerger.1
    QELPeopleMaskMerger.5
    qelmask.1
    qelmask-decisions.5)

# Debian looks for a package's documentation, its copyright notice included,
# under the package's own (lower-case) name.
string(TOLOWER ${PROJECT_NAME} MERGER_PACKAGE_NAME)
if("$CACHE{CMAKE_INSTALL_DOCDIR}" STREQUAL "")
  set(CMAKE_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${MERGER_PACKAGE_NAME})
endif()

install(TARGETS ${MERGER_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# bash-completion loads the script named after the command on first use.
foreach(program IN LISTS MERGER_PROGRAMS)
  install(FILES completion/${program}.bash
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
          RENAME ${program})
endforeach()

# The pages are written by hand, with the version in their title line (the
# test Packaging.ManPages keeps it the project's); the build compresses them,
# as man expects of an installed page.
set(MERGER_MAN_OUTPUTS)
foreach(page IN LISTS MERGER_MAN_PAGES)
  string(REGEX MATCH "[1-9]$" section ${page})
  set(source ${CMAKE_CURRENT_SOURCE_DIR}/man/${page})
  set(configured ${CMAKE_CURRENT_BINARY_DIR}/man/${page})
  configure_file(${source} ${configured} COPYONLY)
  add_custom_command(
    OUTPUT ${configured}.gz
    COMMAND gzip -9 -n -c ${configured} > ${configured}.gz
    DEPENDS ${configured}
    COMMENT "Compressing manual page ${page}")
  list(APPEND MERGER_MAN_OUTPUTS ${configured}.gz)
  install(FILES ${configured}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
add_custom_target(man_pages ALL DEPENDS ${MERGER_MAN_OUTPUTS})

install(FILES examples/ref.msk examples/new.msk examples/custo.msk examples/rules.txt
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
install(PROGRAMS examples/run-demo.sh DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
# Three sites on the same DEFAULT mask, for runs over several sites.
install(FILES examples/sites/berlin.msk examples/sites/lyon.msk examples/sites/paris.msk
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples/sites)
install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
