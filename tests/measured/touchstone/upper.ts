! The upper half.
!> S22
!= 1000000000 0.25 0
!> S33
!= 1000000000 -0.5 0
[Version] 2.0
# GHz S RI R 50
[Number of Ports] 3
[Number of Frequencies] 1
[Matrix Format] upper
[Network Data]
1 0.1 0 0.5 0 0.3 0
  0.25 0 0.4 0
  -0.5 0
[End]
