; The peer installer of the benchmark: the same payload in the same folder
; layout, with NSIS's default zlib compression and the plainest wizard of
; two pages, the folder and the installation. Built by tools/bench.sh:
;   makensis -DFILES=<list from peer_files> -DOUTFILE=<peer.exe> peer.nsi
!ifndef FILES | OUTFILE
  !error "FILES and OUTFILE are needed"
!endif
SetCompressor zlib
Name "Qovarium"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\QOVA"
RequestExecutionLevel admin

Page directory
Page instfiles

Section
  !include "${FILES}"
SectionEnd
