! A differential pair on ports 1 and 2 (references 40 and 60 ohms) and port 3 alone.
! The pair's differential reference is 40 + 60 = 100 ohms, its common one 40 * 60 / 100 = 24.
!> D1,2
!= 1000000000 0 0
!> S11
!= 1000000000 0 0
!> D1,2 z0=75
!= 1000000000 -0.2 0
!> C2,1
!= 1000000000 -0.0204081632653061 0
!> S3
!= 1000000000 0.2 0
[Version] 2.0
# GHz S RI R 50
[Number of Ports] 3
[Number of Frequencies] 1
[Reference] 40
  ! one a line, with comments
  60 50
[Mixed-Mode Order] D1,2 C1,2 S3
[Begin Information]
[Number of Ports] 9
anything at all
[End Information]
[Network Data]
1 0 0 0.1 0 0 0
  0.1 0 0 0 0 0
  0 0 0 0 0.2 0
[End]
