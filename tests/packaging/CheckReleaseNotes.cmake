# Checks that CHANGELOG.md describes the version being built: its newest release heading, after
# "Unreleased", must be "## [VERSION] - YYYY-MM-DD" (the packages take their date from it).
#   NOTES    the release notes
#   VERSION  the project version
cmake_minimum_required(VERSION 3.25)

file(STRINGS "${NOTES}" headings REGEX "^## ")
list(FILTER headings EXCLUDE REGEX "^## \\[Unreleased\\]$")
list(LENGTH headings count)
if(count EQUAL 0)
    message(FATAL_ERROR "${NOTES} has no release heading")
endif()
list(GET headings 0 newest)
string(REPLACE "." "\\." version_pattern "${VERSION}")
if(NOT newest MATCHES "^## \\[${version_pattern}\\] - ([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
    message(FATAL_ERROR "the newest release in ${NOTES} is \"${newest}\", expected "
                        "\"## [${VERSION}] - YYYY-MM-DD\"")
endif()
if(CMAKE_MATCH_2 LESS 1 OR CMAKE_MATCH_2 GREATER 12 OR CMAKE_MATCH_3 LESS 1 OR
   CMAKE_MATCH_3 GREATER 31)
    message(FATAL_ERROR "\"${newest}\" does not give a date")
endif()
