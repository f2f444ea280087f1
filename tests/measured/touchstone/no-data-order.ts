!> S11
!x 7: a version 2 two-port file needs [Two-Port Data Order]
[Version] 2.0
# GHz S RI R 50
[Number of Ports] 2
[Number of Frequencies] 1
[Network Data]
1 0 0 0 0 0 0 0 0
[End]
