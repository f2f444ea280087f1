! Without [End], but the one declared frequency is all there: read, with a warning.
!> S11
!= 1000000000 0.5 0
!w %f: no [End] after the 1 declared frequency; read as complete
[Version] 2.0
# GHz S RI R 50
[Number of Ports] 1
[Number of Frequencies] 1
[Network Data]
1 0.5 0
