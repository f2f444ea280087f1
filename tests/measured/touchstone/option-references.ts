! Version 2.1 gives each port its reference on the option line.
!> S22
!= 2000000000 0.2 0
!> S33
!= 2000000000 -0.333333333333333 0
[Version] 2.1
# GHz S RI R 50 75 25
[Number of Ports] 3
[Number of Frequencies] 1
[Network Data]
2 0 0 0 0 0 0
  0 0 0 0 0 0
  0 0 0 0 0 0
[End]
