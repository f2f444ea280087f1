! The data follows the header without [Network Data]; both declared
! frequencies are there before [End]: read, with a warning.
!> S22
!= 1000000000 0.4 0
!= 2000000000 0.8 0
!w %f: no [Network Data] before the 2 declared frequencies; read as complete
!> two-port
!= 1000000000 0.1 0 0.2 0 0.3 0 0.4 0
!= 2000000000 0.5 0 0.6 0 0.7 0 0.8 0
!w %f: no [Network Data] before the 2 declared frequencies; read as complete
[Version] 2.0
# GHz S RI R 50
[Number of Ports] 2
[Two-Port Data Order] 12_21
[Number of Frequencies] 2
1 0.1 0 0.3 0 0.2 0 0.4 0
2 0.5 0 0.7 0 0.6 0 0.8 0
[End]
